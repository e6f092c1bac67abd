#pragma once
#include <string>
#include <string_view>

// True when the bytes are a CEP manifest of this bundle: its root element
// ExtensionManifest carries ExtensionBundleId="com.pexlo.play.ai", exactly.
// Read as CEP tools write manifests: UTF-8 with or without a byte-order mark,
// or UTF-16 (LE or BE) with one; an XML declaration, comments and white space
// before the root; either quote, and blanks around "=". The id anywhere else
// (another element or attribute, a comment, a longer id) does not count.
bool IsThisBundlesManifest(std::string_view bytes);
