#include "platform/data/drivers/oracle/OracleDriver.h"

#include <dlfcn.h>

#include "platform/data/DataTexts.h"

namespace data {

namespace {
struct LibraryCloser {
    void operator()(void* handle) const noexcept { dlclose(handle); }
};
}  // namespace

std::unique_ptr<Connection> OpenOracleConnection(const ConnectParams&) {
    // The client library is looked up the way the loader does (LD_LIBRARY_PATH, ld.so.cache).
    std::unique_ptr<void, LibraryCloser> client(dlopen("libclntsh.so", RTLD_NOW | RTLD_LOCAL));
    if (!client) {
        const char* why = dlerror();
        throw EOracleError(0, texts::Format(texts::kOracleClientMissing, why ? why : "libclntsh.so"));
    }
    throw EOracleError(0, texts::Format(texts::kOracleDriverMissing));
}

}  // namespace data
