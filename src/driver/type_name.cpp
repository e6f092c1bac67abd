#include "driver/type_name.h"

#include <cstring>

namespace {

// Appends one <source-name> (length, then that many characters) to the
// output; false when the text does not hold one or the output is full.
bool TakeSourceName(const char*& in, char*& out, const char* end) {
  if (*in < '1' || *in > '9') return false;
  std::size_t length = 0;
  while (*in >= '0' && *in <= '9') length = length * 10 + static_cast<std::size_t>(*in++ - '0');
  if (std::strlen(in) < length || static_cast<std::size_t>(end - out) <= length) return false;
  std::memcpy(out, in, length);
  in += length;
  out += length;
  return true;
}

bool Append(char*& out, const char* end, const char* text) {
  const std::size_t length = std::strlen(text);
  if (static_cast<std::size_t>(end - out) <= length) return false;
  std::memcpy(out, text, length);
  out += length;
  return true;
}

bool Demangle(const char* in, char* out, const char* end) {
  const bool nested = *in == 'N';
  if (nested) ++in;
  if (in[0] == 'S' && in[1] == 't') {
    in += 2;
    if (!Append(out, end, "std::")) return false;
  }
  if (!TakeSourceName(in, out, end)) return false;
  while (nested && *in != 'E') {
    if (!Append(out, end, "::") || !TakeSourceName(in, out, end)) return false;
  }
  if (nested) ++in;
  *out = '\0';
  return *in == '\0';
}

}  // namespace

const char* ReadableTypeName(const char* mangled, char* buffer, std::size_t size) {
  if (size == 0) return buffer;
  if (!Demangle(mangled, buffer, buffer + size)) {
    std::strncpy(buffer, mangled, size - 1);
    buffer[size - 1] = '\0';
  }
  return buffer;
}
