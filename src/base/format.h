// printf-style composition into a std::string, checked by the compiler.
#pragma once

#include <cstdarg>
#include <string>

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vformat(const char* fmt, va_list args) __attribute__((format(printf, 1, 0)));
