// Asks the system itself, not the overlay font's code, whether a font of
// the family "Georgia" is installed.
#pragma once

bool SystemListsGeorgia();
