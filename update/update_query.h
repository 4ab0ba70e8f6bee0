// The update query: asks the maker's update service for the newest version
// and keeps the answer in Settings.newver, which decides the new-version
// notice. Runs on the harvest thread before each gallery refresh.
#pragma once

#include <string>
#include <string_view>

// Effects: newver may change; the settings file is saved after every reply;
// the reply file "update.xml" is deleted whatever happened.
void QueryUpdate();

// The version a reply names: the text between the first "<appver>" and the
// first "</appver>" after it, at most 9 characters, read up to the reply's
// first zero byte. False (and `version` untouched) when the tags are missing
// or out of order, or the version holds anything but printable ASCII.
bool ParseUpdateReply(std::string_view reply, std::u16string& version);
