// What happens when an exception escapes the program. Nothing in it catches
// exceptions, and the only one that can arise is std::bad_alloc when memory
// runs out; the string operations' length and range errors are guarded
// against by the callers. An escaping exception makes the C++ runtime call
// std::terminate, whose handler writes two lines to stderr and aborts:
//
//   terminate called after throwing an instance of 'std::bad_alloc'
//     what():  std::bad_alloc
//
// The runtime's own handler and helpers do exactly that, but they pull in a
// demangler for every C++ name and the whole family of standard exception
// classes with their own string type: well over half of the program's code.
// This file gives the program the same behaviour without them:
// - the handler names the exception with ReadableTypeName, which spells the
//   std:: classes that can be thrown here as the demangler does;
// - the helpers that the standard library calls to throw length, range and
//   logic errors end the process exactly as that exception would when
//   nothing catches it (same lines, same abort), without building it;
//   bad_alloc and bad_array_new_length are small and still thrown.
// It is linked into the program only, not into the core library, so the
// tests' own programs keep the runtime's versions; tests/unit compares the
// two on every kind of escape.
#include <cxxabi.h>

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

#include "driver/type_name.h"

namespace {

// The lines and the end that the handler below gives an escaping exception
// of this type with this what() text.
[[noreturn]] void EndAsUncaught(const char* typeName, const char* what) {
  std::fputs("terminate called after throwing an instance of '", stderr);
  std::fputs(typeName, stderr);
  std::fputs("'\n", stderr);
  std::fputs("  what():  ", stderr);
  std::fputs(what, stderr);
  std::fputs("\n", stderr);
  std::abort();
}

// The formatting the standard library uses for its range errors: %s, %zu
// and %% only.
void FormatLite(char* out, std::size_t size, const char* format, va_list arguments) {
  char* const end = out + size - 1;
  while (*format && out < end) {
    if (format[0] == '%' && format[1] == 's') {
      for (const char* text = va_arg(arguments, const char*); *text && out < end; ++text) *out++ = *text;
      format += 2;
    } else if (format[0] == '%' && format[1] == 'z' && format[2] == 'u') {
      char digits[24];
      char* first = digits + sizeof(digits);
      std::size_t value = va_arg(arguments, std::size_t);
      do {
        *--first = static_cast<char>('0' + value % 10);
        value /= 10;
      } while (value != 0);
      while (first < digits + sizeof(digits) && out < end) *out++ = *first++;
      format += 3;
    } else if (format[0] == '%' && format[1] == '%') {
      *out++ = '%';
      format += 2;
    } else {
      *out++ = *format++;
    }
  }
  *out = '\0';
}

}  // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  static bool terminating = false;
  if (terminating) {
    std::fputs("terminate called recursively\n", stderr);
    std::abort();
  }
  terminating = true;

  const std::type_info* type = abi::__cxa_current_exception_type();
  if (!type) {
    std::fputs("terminate called without an active exception\n", stderr);
    std::abort();
  }
  char readable[512];
  std::fputs("terminate called after throwing an instance of '", stderr);
  std::fputs(ReadableTypeName(type->name(), readable, sizeof(readable)), stderr);
  std::fputs("'\n", stderr);
  try {
    throw;
  } catch (const std::exception& exception) {
    std::fputs("  what():  ", stderr);
    std::fputs(exception.what(), stderr);
    std::fputs("\n", stderr);
  } catch (...) {
  }
  std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }

void __throw_bad_array_new_length() { throw bad_array_new_length(); }

void __throw_length_error(const char* what) { EndAsUncaught("std::length_error", what); }

void __throw_logic_error(const char* what) { EndAsUncaught("std::logic_error", what); }

void __throw_out_of_range_fmt(const char* format, ...) {
  char what[1024];
  va_list arguments;
  va_start(arguments, format);
  FormatLite(what, sizeof(what), format, arguments);
  va_end(arguments);
  EndAsUncaught("std::out_of_range", what);
}

}  // namespace std
