// A second process for the cross-process mutex tests. It reads one command per line from its
// standard input and answers each with one line on its standard output:
//   create NAME        -> "<1 when a handle came back, else 0> <last error>"
//   open NAME          -> "<1|0> <last error>"
//   wait MILLISECONDS  -> the wait result, in decimal
//   release            -> "<1|0> <last error>"
//   close              -> "<1|0>"
// Built with the components, it also drives one TCBasicMutex and one TCMutex:
//   acquire SECONDS NAME  -> TCBasicMutex: "<Acquire's result> <events>"
//   guard [NAME]          -> TCMutex without owner, no message, no quit: "<result> <events>"
//   drop                  -> destroys both components: "done"
// where <events> is "success", "failure" or "failure <exception class> <message>" (carriage
// returns and line feeds written as \r and \n).
// The process keeps the handle of the last create or open; it ends on end of input.

#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/win32/NamedMutex.h"

#ifdef MUTEX_PROBE_COMPONENTS
#include <memory>

#include "components/HLDVCLMutex.h"
#include "helpers/Escaped.h"
#endif

namespace {

std::string Rest(std::istringstream& in) {
    std::string rest;
    std::getline(in >> std::ws, rest);
    return rest;
}

}  // namespace

int main() {
#ifdef MUTEX_PROBE_COMPONENTS
    std::unique_ptr<TCBasicMutex> basic;
    std::unique_ptr<TCMutex> guard;
    std::string events;
    auto onSuccess = [&](TComponent*) { events += " success"; };
#endif
    using namespace win32;
    HANDLE handle = nullptr;
    std::cout << "ready" << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (command == "create" || command == "open") {
            const std::string name = Rest(in);
            SetLastError(0);
            handle = command == "create" ? CreateMutexA(nullptr, 1, name.c_str())
                                         : OpenMutexA(SYNCHRONIZE, 1, name.c_str());
            std::cout << (handle != nullptr) << ' ' << GetLastError() << std::endl;
        } else if (command == "wait") {
            SetLastError(0);
            std::uint32_t ms = 0;
            in >> ms;
            std::cout << WaitForSingleObject(handle, ms) << std::endl;
        } else if (command == "release") {
            SetLastError(0);
            const BOOL ok = ReleaseMutex(handle);
            std::cout << ok << ' ' << GetLastError() << std::endl;
        } else if (command == "close") {
            std::cout << CloseHandle(handle) << std::endl;
            handle = nullptr;
#ifdef MUTEX_PROBE_COMPONENTS
        } else if (command == "acquire") {
            std::int32_t seconds = 0;
            in >> seconds;
            basic = std::make_unique<TCBasicMutex>(nullptr);
            basic->SetName("probe");
            basic->SetWaitInSeconds(seconds);
            basic->SetMutexName(Rest(in));
            basic->OnSuccess = onSuccess;
            basic->OnFailure = [&](TComponent*, Exception& E) {
                events += std::string(" failure ") + E.ClassName() + " " + Escaped(E.Message());
            };
            events.clear();
            const bool result = basic->Acquire();
            std::cout << result << events << std::endl;
        } else if (command == "guard") {
            guard = std::make_unique<TCMutex>(nullptr);
            guard->ShowFailureMessage = false;
            guard->TerminateApplicationOnFailure = false;
            guard->SetMutexName(Rest(in));
            guard->OnSuccess = onSuccess;
            guard->OnFailure = [&](TComponent*) { events += " failure"; };
            events.clear();
            const bool result = guard->Acquire();
            std::cout << result << events << std::endl;
        } else if (command == "drop") {
            basic.reset();
            guard.reset();
            std::cout << "done" << std::endl;
#endif
        } else {
            std::cout << "unknown command " << command << std::endl;
        }
    }
    return 0;
}
