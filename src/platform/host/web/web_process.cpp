// The host in a web page: time passes only while the browser runs, the
// program lives in the page's file system, the successor is a reload of the
// page, and saves go on to the browser's storage.

#include "platform/host/host.h"
#include "platform/host/host_local.h"
#include "platform/host/web/web_page.h"

namespace host {

void RealSleep(uint32_t ms) { web::Yield(ms); }

std::u16string ModulePath() { return FromUtf8(web::kModulePath); }

// The page's address holds the program line, without the program file.
uint32_t StartSuccessor(std::vector<std::string>& words) {
    web::Reload(std::vector<std::string>(words.begin() + 1, words.end()));
    return 0;
}

void FilesSaved() { web::SaveFiles(); }

}  // namespace host
