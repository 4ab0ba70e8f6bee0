// The update query: asks the maker's update service for the newest version
// and keeps the answer in Settings.newver, which decides the new-version
// notice. Runs on the harvest thread before each gallery refresh.
#pragma once

// Effects: newver may change; the settings file is saved after every reply;
// the reply file "update.xml" is deleted whatever happened.
void QueryUpdate();
