// The inventory and PROLOG requests as the server reads them: UTF-8 XML with
// its declaration at the first byte.
#pragma once

#include "ansi_decoder.h"
#include "inventory_document.h"

#include <string>
#include <string_view>

// <REQUEST><CONTENT> with every section, then DEVICEID and QUERY INVENTORY.
// A field or section whose name is not an element name of ours
// ([A-Z0-9_]) is left out, as is a "number" that is not plain digits.
std::string inventoryRequestXml(const InventoryDocument& doc, AnsiDecoder decode);

// The request that asks the server whether it wants an inventory.
std::string prologRequestXml(std::string_view deviceId, AnsiDecoder decode);

// Element text: UTF-16 to UTF-8 with the markup characters escaped and the
// characters XML 1.0 forbids dropped, along with everything beyond the
// Basic Multilingual Plane, which the server's database cannot keep.
std::string xmlText(std::wstring_view utf16);
