#include "command_lines.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

size_t Below(std::mt19937& random, size_t bound) { return bound == 0 ? 0 : random() % bound; }
bool OneIn(std::mt19937& random, size_t n) { return Below(random, n) == 0; }

template <typename T>
const T& Pick(std::mt19937& random, const std::vector<T>& choices) {
  return choices[Below(random, choices.size())];
}

// Characters that the splitting and the checks have opinions about, and a
// few that they should have none about.
const std::vector<std::wstring> kJunk = {
    L"\"", L"\"\"", L"\\", L"\\\\", L"\\\\\\", L"\\\"", L"\\\\\"", L" ", L"\t", L"=", L"==", L"/",
    L":", L"*", L"?", L"<", L">", L"|", L".", L"..", L"\x01", L"\x07", L"\x1b", L"\r", L"\n",
    L"\v", L"\x7f", L"\x85", L"\xa0", L"\x3000", L"\xfeff", L"\u6269\u5c55", L"\U0001F600",
    L"\U00020BB7", L"\xd800", L"\xdfff", L"extdir", L"lang", L"stage", L"origdir", L"a", L"Z", L"%TEMP%",
    L"T:", L"T:\\", L"\\\\?\\", L"\\\\.\\", L"CON", L"NUL"};

std::wstring JunkText(std::mt19937& random, size_t pieces) {
  std::wstring text;
  for (size_t i = 0; i < pieces; ++i) text += Pick(random, kJunk);
  return text;
}

// The same folder written another way, or a folder inside it.
std::wstring Spell(std::mt19937& random, std::wstring folder) {
  switch (Below(random, 7)) {
    case 0: return folder + std::wstring(1 + Below(random, 4), OneIn(random, 2) ? L'\\' : L'/');
    case 1: std::replace(folder.begin(), folder.end(), L'\\', L'/'); return folder;
    case 2: {
      const size_t at = folder.find(L'\\', 3);
      return at == std::wstring::npos ? folder : folder.insert(at, L"\\\\");
    }
    case 3:
      for (wchar_t& c : folder) {
        if (c >= L'a' && c <= L'z' && OneIn(random, 2)) c = static_cast<wchar_t>(c - 0x20);
      }
      return folder;
    case 4: return folder + L"\\js";
    default: return folder;
  }
}

// Values that must be refused, or that name nothing that exists.
std::wstring BadValue(std::mt19937& random, const LineTargets& targets) {
  const std::vector<std::wstring> values = {
      L"", L"\"\"", L"\\", L"/", L"\\\\", L"T:", L"T:\\", L"T:/", L"t:\\\\", L"T:ext", L"\\ext", L"ext", L".",
      L"..", L"\\\\srv", L"\\\\srv\\share", L"\\\\srv\\share\\", L"\\\\?\\" + targets.extension,
      L"\\\\.\\T:", L"\\\\?\\T:\\", targets.extension + L"\\..", targets.extension + L"\\..\\..",
      targets.extension + L"\\.", targets.extension + L".", targets.extension + L" ",
      targets.extension + L"*", targets.extension + L"\\?", targets.extension + L"\t",
      targets.extension + L"\x01", targets.extension + L":stream", targets.extension + L"|x",
      targets.extension + L"-absent", L"T:\\" + std::wstring(300, L'x'),
      targets.extension + L"\\" + std::wstring(260, L'y'), JunkText(random, 1 + Below(random, 6))};
  return Pick(random, values);
}

// key=value with the value (and sometimes the key) quoted in one of many ways.
std::wstring Pair(std::mt19937& random, const std::wstring& key, const std::wstring& value) {
  switch (Below(random, 12)) {
    case 0: return key + L"=\"" + value + L"\"";
    case 1: return L"\"" + key + L"=" + value + L"\"";
    case 2: return key + L"=\\\"" + value + L"\\\"";  // quotes that reach the program
    case 3: return key + L"=\"" + value + L"\\\"";    // a backslash that eats the closing quote
    case 4: return key + L"=\"" + value + L"\\\\\"";  // a doubled backslash that does not
    case 5: return key + L"=\"\"" + value + L"\"\"";
    case 6: return key.substr(0, 2) + L"\"" + key.substr(2) + L"\"=" + value;  // quotes inside the key
    case 7: return key + L"=\"" + value;                                       // never closed
    case 8: return key + L"=" + value + std::wstring(1 + Below(random, 5), L'\\') + L"\"";
    default: return key + L"=" + value;
  }
}

std::wstring ExtdirPiece(std::mt19937& random, const LineTargets& targets) {
  if (OneIn(random, 4)) return Pair(random, L"extdir", BadValue(random, targets));
  return Pair(random, L"extdir", Spell(random, targets.extension));
}

// Keys that the program must not take for extdir=.
std::wstring DecoyPiece(std::mt19937& random, const LineTargets& targets) {
  const std::vector<std::wstring> keys = {L"EXTDIR", L"Extdir",  L"extDir", L"eXtdir", L"/extdir",
                                          L"-extdir", L"xextdir", L"extdir ", L"extdir:", L" extdir"};
  const std::wstring key = Pick(random, keys);
  if (key[0] == L' ') return L"\"" + key + L"=" + targets.decoy + L"\"";
  if (key.back() == L' ') return L"\"" + key + L"=" + targets.decoy + L"\"";
  return Pair(random, key, targets.decoy);
}

std::wstring LangPiece(std::mt19937& random) {
  const std::vector<std::wstring> values = {L"en", L"zh", L"pt", L"ZH", L"pt-BR", L"PT_br", L"zh-Hant", L"cn",
                                            L"fr", L"", L"\"", L"\"\"", L"\u4e2d\u6587", L"\U0001F600",
                                            L"en\tzh", L"e\x01n"};
  return Pair(random, OneIn(random, 6) ? L"LANG" : L"lang", OneIn(random, 4) ? JunkText(random, 3) : Pick(random, values));
}

std::wstring StagePiece(std::mt19937& random, const LineTargets& targets) {
  if (OneIn(random, 2)) {
    const std::vector<std::wstring> values = {L"2", L"02", L"2 ", L" 2", L"1", L"3", L"", L"\"2\"", L"two"};
    return Pair(random, OneIn(random, 5) ? L"STAGE" : L"stage", Pick(random, values));
  }
  const std::vector<std::wstring> values = {targets.launch, targets.launch + L"\\", targets.decoy, L"", L"\\",
                                            JunkText(random, 2)};
  return Pair(random, L"origdir", Pick(random, values));
}

}  // namespace

std::vector<std::wstring> SplitArguments(const std::wstring& arguments) {
  std::vector<std::wstring> result;
  const size_t size = arguments.size();
  size_t at = 0;
  for (;;) {
    while (at < size && IsBlank(arguments[at])) ++at;
    if (at >= size) break;
    std::wstring argument;
    bool quoted = false;
    for (;;) {
      size_t backslashes = 0;
      while (at < size && arguments[at] == L'\\') ++at, ++backslashes;
      bool copy = true;
      if (at < size && arguments[at] == L'"') {
        if (backslashes % 2 == 0) {
          if (quoted && at + 1 < size && arguments[at + 1] == L'"') {
            ++at;  // "" inside quotes: one literal quote, still quoted
          } else {
            copy = false;
            quoted = !quoted;
          }
        }
        backslashes /= 2;
      }
      argument.append(backslashes, L'\\');
      if (at >= size || (!quoted && IsBlank(arguments[at]))) break;
      if (copy) argument.push_back(arguments[at]);
      ++at;
    }
    result.push_back(argument);
  }
  return result;
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
  size_t at = 0;
  std::wstring program;
  if (!line.empty() && line[0] == L'"') {
    const size_t close = line.find(L'"', 1);
    program = line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    at = close == std::wstring::npos ? line.size() : close + 1;
  } else {
    while (at < line.size() && !IsBlank(line[at])) ++at;
    program = line.substr(0, at);
  }
  std::vector<std::wstring> vector = SplitArguments(line.substr(at));
  vector.insert(vector.begin(), program);
  return vector;
}

std::wstring GenerateArguments(std::mt19937& random, const LineTargets& targets, size_t maxLength) {
  if (OneIn(random, 40)) return OneIn(random, 2) ? L"" : L" \t ";
  std::vector<std::wstring> pieces;
  const size_t extdirs = Below(random, 8) == 0 ? 0 : 1 + Below(random, 2);
  for (size_t i = 0; i < extdirs; ++i) pieces.push_back(ExtdirPiece(random, targets));
  for (size_t i = Below(random, 4); i > 0; --i) pieces.push_back(DecoyPiece(random, targets));
  if (!OneIn(random, 3)) pieces.push_back(LangPiece(random));
  if (OneIn(random, 4)) pieces.push_back(StagePiece(random, targets));
  for (size_t i = Below(random, 3); i > 0; --i) pieces.push_back(JunkText(random, 1 + Below(random, 8)));
  if (OneIn(random, 6)) {
    for (size_t i = 1 + Below(random, 200); i > 0; --i) pieces.push_back(L"extdir=" + targets.decoy);
  }
  std::shuffle(pieces.begin(), pieces.end(), random);
  // A later extdir= with the decoy: the first one must win.
  if (OneIn(random, 3)) pieces.push_back(Pair(random, L"extdir", targets.decoy));

  std::wstring line;
  for (const std::wstring& piece : pieces) {
    if (!line.empty()) line += OneIn(random, 12) ? L"" : std::wstring(1 + Below(random, 3), OneIn(random, 3) ? L'\t' : L' ');
    line += piece;
  }
  // Now and then a value that fills the line up to the limit.
  if (OneIn(random, 8) && line.size() + 16 < maxLength) {
    const size_t fill = maxLength - line.size() - 8 - Below(random, 1 + (maxLength - line.size()) / 2);
    std::wstring value = OneIn(random, 2) ? std::wstring(fill, L'x') : JunkText(random, fill / 2);
    value.resize(fill, L'\\');
    line += L" " + Pick(random, std::vector<std::wstring>{L"lang=", L"junk=", L"EXTDIR=", L"origdir="}) + value;
  }
  if (line.size() > maxLength) line.resize(maxLength);
  if (!line.empty() && line.back() >= 0xD800 && line.back() <= 0xDBFF) line.pop_back();  // no half pair at the cut
  return line;
}

namespace {

bool IsDevice(std::wstring name) {
  name = name.substr(0, name.find(L'.'));
  name.erase(name.find_last_not_of(L' ') + 1);
  for (wchar_t& c : name) c = static_cast<wchar_t>(towupper(c));
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"}) {
    if (name == device) return true;
  }
  return name.size() == 4 && (name.rfind(L"COM", 0) == 0 || name.rfind(L"LPT", 0) == 0) && name[3] >= L'1' &&
         name[3] <= L'9';
}

bool IsAcceptableName(const std::wstring& name) {
  if (name == L"." || name == L".." || name.back() == L'.' || name.back() == L' ' || IsDevice(name)) return false;
  return std::none_of(name.begin(), name.end(), [](wchar_t c) {
    return c < 0x20 || std::wstring(L"<>:\"|?*").find(c) != std::wstring::npos;
  });
}

// An absolute folder below a drive root or a share, in names that Windows
// takes as written, short enough for the classic path limit.
bool IsUsableFolder(const std::wstring& path) {
  if (path.size() >= 260) return false;
  size_t rootNames = 0;
  std::wstring rest;
  const bool drive = path.size() >= 3 && ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z') && path[1] == L':' &&
                     IsSeparator(path[2]);
  if (drive) {
    rest = path.substr(3);
  } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    rest = path.substr(2);
    rootNames = 2;
  } else {
    return false;
  }
  std::vector<std::wstring> names(1);
  for (wchar_t c : rest) {
    if (!IsSeparator(c)) names.back().push_back(c);
    else if (!names.back().empty()) names.emplace_back();
  }
  if (names.back().empty()) names.pop_back();
  if (names.size() <= rootNames) return false;
  return std::all_of(names.begin(), names.end(), IsAcceptableName);
}

std::wstring FirstValue(const std::vector<std::wstring>& vector, const std::wstring& key) {
  for (size_t i = 1; i < vector.size(); ++i) {
    if (vector[i].rfind(key + L"=", 0) != 0) continue;
    std::wstring value = vector[i].substr(key.size() + 1);
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') value = value.substr(1, value.size() - 2);
    return value;
  }
  return L"";
}

}  // namespace

ExpectedRun ExpectedOutcome(const std::vector<std::wstring>& argumentVector) {
  ExpectedRun expected;
  expected.lang = FirstValue(argumentVector, L"lang");
  if (argumentVector.size() < 2) return expected;
  const std::wstring value = FirstValue(argumentVector, L"extdir");
  std::wstring folder = value;
  while (!folder.empty() && IsSeparator(folder.back())) folder.pop_back();
  if (value.empty() || !IsUsableFolder(folder)) {
    expected.verdict = ExpectedRun::MissingExtDir;
    return expected;
  }
  expected.verdict = ExpectedRun::Proceed;
  expected.folder = folder;
  return expected;
}

std::wstring CanonicalPath(const std::wstring& path) {
  std::wstring canonical;
  for (size_t i = 0; i < path.size(); ++i) {
    wchar_t c = path[i] == L'/' ? L'\\' : path[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 0x20);
    if (c == L'\\' && !canonical.empty() && canonical.back() == L'\\' && canonical.size() > 1) continue;
    canonical.push_back(c);
  }
  while (canonical.size() > 1 && canonical.back() == L'\\') canonical.pop_back();
  return canonical;
}

bool IsWithin(const std::wstring& path, const std::wstring& folder) {
  const std::wstring p = CanonicalPath(path), f = CanonicalPath(folder);
  return p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == L'\\');
}

std::string Printable(const std::wstring& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t run = 1;
    while (i + run < text.size() && text[i + run] == text[i]) ++run;
    if (run > 16) {
      out += "{" + std::to_string(run) + " x ";
      out += Printable(std::wstring(1, text[i])) + "}";
      i += run - 1;
      continue;
    }
    const wchar_t c = text[i];
    if (c >= 0x20 && c < 0x7f && c != L'\\' && c != L'"') {
      out.push_back(static_cast<char>(c));
    } else if (c == L'\\' || c == L'"') {
      out += "\\";
      out.push_back(static_cast<char>(c));
    } else {
      char code[16];
      snprintf(code, sizeof(code), "\\u%04x", static_cast<unsigned>(c));
      out += code;
    }
  }
  return out;
}
