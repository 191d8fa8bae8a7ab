#include "ansi_decoder.h"

#include "registry/registry_access.h"

std::wstring systemAnsiDecoder(std::string_view ansi) {
    return fromAnsi(ansi);
}
