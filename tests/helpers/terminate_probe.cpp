// Lets an exception escape, as only running out of memory can in the
// program, so that the unit tests can compare how a process ends with the
// C++ runtime's own terminate handling (terminate_probe_runtime.exe) and with
// the program's (terminate_probe.exe, linked with src/driver/uncaught.cpp):
//   terminate_probe.exe <case>
// where case is one of the names below. Writes nothing on success.
#include <cstddef>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// Kept out of the optimiser's sight, so that each operation happens at run time.
volatile std::size_t huge = static_cast<std::size_t>(1) << 62;
volatile std::size_t five = 5;
const wchar_t* volatile nothing = nullptr;

}  // namespace

namespace probe {
struct Plain {};  // not derived from std::exception
}  // namespace probe

int wmain(int argc, wchar_t** argv) {
  const std::wstring what = argc > 1 ? argv[1] : L"";
  if (what == L"out_of_memory") {
    void* block = ::operator new(huge);
    ::operator delete(block);
  } else if (what == L"bad_array_new_length") {
    std::allocator<std::wstring>().allocate(huge);
  } else if (what == L"allocator_bad_alloc") {
    std::allocator<char>().allocate(static_cast<std::size_t>(-1) / 2 + 1);
  } else if (what == L"string_length") {
    std::wstring text;
    text.reserve(huge);
  } else if (what == L"vector_length") {
    std::vector<std::wstring> list;
    list.reserve(huge);
  } else if (what == L"string_range") {
    std::wstring(L"abc").substr(five);
  } else if (what == L"string_null") {
    std::wstring text(nothing);
  } else if (what == L"not_an_exception") {
    throw probe::Plain();
  } else if (what == L"no_exception") {
    std::terminate();
  } else if (what == L"rethrow_nothing") {
    throw;
  }
  return 0;
}
