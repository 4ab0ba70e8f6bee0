#include <cstdio>
#include <string>

#include "overlay/font_probe.h"

bool SystemListsGeorgia() {
    std::string listed;
    if (FILE* f = popen("fc-list :family=Georgia family", "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, f)) listed += buf;
        pclose(f);
    }
    return !listed.empty();
}
