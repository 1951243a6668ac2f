// A page has no fontconfig: its fonts come with its data, in one folder.

#include "platform/host/text/font_locator.h"
#include "platform/host/text/font_table.h"

namespace host {

bool LocateFont(const std::string& face, int weight, bool italic, FontFile& file) {
    return LocateFontInTable("/fonts/", face, weight, italic, file);
}

}  // namespace host
