// Per-user registration of installed products below HKEY_CURRENT_USER
// "\Software\Quenlar\InstalledProducts": one key per product holding
// "Version", "FolderName" and one value per installed sub-product.
#pragma once
#include <string>

#include "platform/line_list.h"

namespace registration {

// The product's key, an absolute path below HKEY_CURRENT_USER.
std::string ProductKeyPath(const std::string& product);

// Fills list (emptied first) with the sub-products still registered for the
// product, in the registry's order; empty when its key cannot be opened or
// is deleted while it is listed. Raises EOutOfMemory when the open key
// cannot be listed otherwise.
void ListRemainingSubProducts(const std::string& product, platform::LineList& list);

// Withdraws the sub-products named in subProducts (";"-separated) from the
// product's key. While sub-products remain, the product's include file is
// rewritten to match them; otherwise the key goes, and "InstalledProducts"
// with it when no other product is left. An empty product or a missing key
// changes nothing. Raises ERegistryException for a "FolderName" that is not
// text and the include file's errors; withdrawn values stay withdrawn.
void UnregisterProduct(const std::string& product, const std::string& subProducts);

}  // namespace registration
