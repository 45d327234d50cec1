#pragma once
// How the mutex probe prints a message on one line, and how the tests expect it: carriage
// returns and line feeds spelled out.

#include <string>

inline std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}
