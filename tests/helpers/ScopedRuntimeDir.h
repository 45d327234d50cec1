#pragma once
// Points XDG_RUNTIME_DIR elsewhere (or unsets it) for one scope; processes started meanwhile
// inherit the change.

#include <cstdlib>
#include <optional>
#include <string>

class ScopedRuntimeDir {
public:
    explicit ScopedRuntimeDir(const std::optional<std::string>& value) {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) previous_ = old;
        Set(value);
    }
    ~ScopedRuntimeDir() { Set(previous_); }
    ScopedRuntimeDir(const ScopedRuntimeDir&) = delete;
    ScopedRuntimeDir& operator=(const ScopedRuntimeDir&) = delete;

private:
    static void Set(const std::optional<std::string>& value) {
        if (value) {
            setenv("XDG_RUNTIME_DIR", value->c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
    }
    std::optional<std::string> previous_;
};
