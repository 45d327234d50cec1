// A second process for the cross-process mutex tests. It reads one command per line from its
// standard input and answers each with one line on its standard output:
//   create NAME        -> "<1 when a handle came back, else 0> <last error>"
//   open NAME          -> "<1|0> <last error>"
//   wait MILLISECONDS  -> the wait result, in decimal
//   release            -> "<1|0> <last error>"
//   close              -> "<1|0>"
// The process keeps the handle of the last create or open; it ends on end of input.

#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/win32/NamedMutex.h"

namespace {

std::string Rest(std::istringstream& in) {
    std::string rest;
    std::getline(in >> std::ws, rest);
    return rest;
}

}  // namespace

int main() {
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
        } else {
            std::cout << "unknown command " << command << std::endl;
        }
    }
    return 0;
}
