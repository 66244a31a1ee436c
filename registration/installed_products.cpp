#include "registration/installed_products.h"

#include <windows.h>

#include "platform/errors.h"
#include "platform/registry_session.h"
#include "registration/product_include.h"

namespace registration {
namespace {

const char kInstalledProducts[] = "\\Software\\Quenlar\\InstalledProducts";

void RemoveFirst(platform::LineList& list, const std::string& name) {
  const int index = list.FindLine(name);
  if (index != -1) list.RemoveLine(index);
}

// Deletes the value of each piece from the current key; a piece that names
// no value is passed over.
void WithdrawSubProducts(platform::RegistrySession& registry, const std::string& subProducts) {
  platform::LineList pieces;
  platform::SplitAtChar(subProducts, ';', pieces);
  for (int i = 0; i < pieces.LineCount(); ++i) registry.RemoveValue(std::string(pieces.LineAt(i)));
}

// The product's key is the current key. The products key goes only when a
// query says it holds no product: a failed query would take every other
// product's registration with it (the key is removed with its subkeys).
void RemoveProductKey(platform::RegistrySession& registry, const std::string& product) {
  registry.RemoveValue("Version");
  registry.RemoveValue("FolderName");
  registry.RemoveKey(ProductKeyPath(product));
  if (!registry.OpenPath(kInstalledProducts)) return;
  platform::KeyInfo info;
  if (registry.QueryKeyInfo(info) && info.SubkeyCount == 0) registry.RemoveKey(kInstalledProducts);
}

}  // namespace

std::string ProductKeyPath(const std::string& product) { return kInstalledProducts + ("\\" + product); }

void ListRemainingSubProducts(const std::string& product, platform::LineList& list) {
  list.RemoveAll();
  {
    platform::RegistrySession registry;
    registry.SetRoot(HKEY_CURRENT_USER);
    // A key that cannot be listed would read as one without sub-products,
    // and the registration would go with other installations' sub-products
    // in it. Querying an open key fails only for want of memory, or when
    // the key is gone meanwhile (another uninstall deleted it): a key that
    // is gone has no sub-products left.
    if (registry.OpenPath(ProductKeyPath(product))) {
      const LONG listed = registry.ListValueNames(list);
      if (listed != ERROR_SUCCESS && listed != ERROR_KEY_DELETED && listed != ERROR_FILE_NOT_FOUND)
        platform::RaiseOutOfMemory();
      registry.CloseCurrent();
    }
  }
  RemoveFirst(list, "Version");
  RemoveFirst(list, "FolderName");
}

void UnregisterProduct(const std::string& product, const std::string& subProducts) {
  if (product.empty()) return;
  platform::RegistrySession registry;
  registry.SetRoot(HKEY_CURRENT_USER);
  if (!registry.OpenPath(ProductKeyPath(product))) return;
  WithdrawSubProducts(registry, subProducts);
  // Declared after the registry object, so that on every path the list goes
  // first and the registry object then closes the current key as it goes.
  platform::LineList remaining;
  ListRemainingSubProducts(product, remaining);
  if (remaining.LineCount() != 0)
    UpdateProductInclude(product, registry.ReadText("FolderName"));
  else
    RemoveProductKey(registry, product);
}

}  // namespace registration
