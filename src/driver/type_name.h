#pragma once
#include <cstddef>

// The readable form of a type's mangled name as type_info::name() gives it,
// for the names of plain and nested classes ("St9bad_alloc" gives
// "std::bad_alloc", "N3app5ErrorE" gives "app::Error"); any other name is
// copied unchanged. Written into buffer, which it returns.
const char* ReadableTypeName(const char* mangled, char* buffer, std::size_t size);
