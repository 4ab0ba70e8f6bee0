#!/usr/bin/python3
"""A private system bus for link_state_test: a dbus-daemon of its own with
python3-dbusmock's NetworkManager (with a `Metered` property added) and
UPower, or a name that is owned and never answers.

Usage: link_state_bus.py METERED ON_BATTERY
  METERED     NetworkManager's Metered value (0..4), or "-" for no NetworkManager
  ON_BATTERY  "1" or "0" for UPower's OnBattery, "-" for no UPower, "silent"
              for a UPower name that never answers

Prints "<pid> <bus address>" once everything is on the bus, then waits:
SIGUSR1 puts UPower on mains and prints "mains", SIGTERM stops the
services and the bus.
"""
import os
import signal
import subprocess
import sys

import dbus
import dbusmock
from dbusmock import DBusTestCase

metered, battery = sys.argv[1], sys.argv[2]
signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
bus_pid, address = DBusTestCase.start_dbus()
mocks = []
try:
    os.environ['DBUS_SYSTEM_BUS_ADDRESS'] = address
    if metered != '-':
        process, _ = DBusTestCase.spawn_server_template(
            'networkmanager', {}, stdout=subprocess.DEVNULL, system_bus=True)
        mocks.append(process)
        # The template's main object is /org/freedesktop; the manager lives below it.
        nm = DBusTestCase.get_dbus(system_bus=True).get_object(
            'org.freedesktop.NetworkManager', '/org/freedesktop/NetworkManager')
        nm.AddProperty('org.freedesktop.NetworkManager', 'Metered',
                       dbus.UInt32(int(metered)), dbus_interface=dbusmock.MOCK_IFACE)
    if battery in ('0', '1'):
        process, upower = DBusTestCase.spawn_server_template(
            'upower', {'OnBattery': battery == '1'}, stdout=subprocess.DEVNULL,
            system_bus=True)
        mocks.append(process)

        def on_mains(*_):
            upower.Set('org.freedesktop.UPower', 'OnBattery', False,
                       dbus_interface=dbus.PROPERTIES_IFACE)
            print('mains', flush=True)
        signal.signal(signal.SIGUSR1, on_mains)
    silent = None
    if battery == 'silent':
        # Owns the name and runs no main loop: every call waits for its time-out.
        silent = dbus.bus.BusConnection(address)
        silent.request_name('org.freedesktop.UPower')
    print(os.getpid(), address, flush=True)
    while True:
        signal.pause()
finally:
    for process in mocks:
        process.terminate()
        process.wait()
    DBusTestCase.stop_dbus(bus_pid)
