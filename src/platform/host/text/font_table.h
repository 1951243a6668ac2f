#pragma once
// A fixed table of font families for a system without fontconfig (a web
// page, which ships its fonts in one folder): each face name the game's
// templates use maps to a metric-compatible family of the Liberation fonts,
// as fontconfig would map it on the desktop.

#include <string>

#include "platform/host/text/font_locator.h"

namespace host {

// The file in `folder` (ending in "/") for the request. A face the table does
// not know is drawn by the sans-serif family with familyMatches false; a
// style whose file the folder lacks is faked from the regular file. False
// when not even the family's regular file is there.
bool LocateFontInTable(const std::string& folder, const std::string& face, int weight, bool italic, FontFile& file);

}  // namespace host
