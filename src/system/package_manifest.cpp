#include "system/package_manifest.hpp"

#include "system/com.hpp"
#include "system/system_library.hpp"

#include <windows.h>
// After windows.h, which they need.
#include <shlwapi.h>
#include <xmllite.h>

#include <string_view>

namespace {

using create_xml_reader_function = HRESULT WINAPI(REFIID, void**, IMalloc*);

// The reader, with its input open; or the HRESULT of what failed.
struct opened_reader {
  HRESULT status = S_OK;
  unique_module library;  // released after the reader and the stream
  com_ptr<IStream> stream;
  com_ptr<IXmlReader> reader;
};

opened_reader open_reader(const std::filesystem::path& file) {
  opened_reader opened;
  // xmllite.dll is no KnownDLL.
  opened.library = load_system_library(L"xmllite.dll");
  auto* const create = opened.library
                           ? function_of<create_xml_reader_function>(opened.library.get(), "CreateXmlReader")
                           : nullptr;
  if (!create) {
    opened.status = HRESULT_FROM_WIN32(::GetLastError());
    return opened;
  }
  IStream* stream = nullptr;
  opened.status = ::SHCreateStreamOnFileEx(file.c_str(), STGM_READ | STGM_SHARE_DENY_NONE,
                                           FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &stream);
  opened.stream.reset(stream);
  if (FAILED(opened.status)) {
    return opened;
  }
  IXmlReader* reader = nullptr;
  opened.status = create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), nullptr);
  opened.reader.reset(reader);
  if (SUCCEEDED(opened.status)) {
    opened.status = reader->SetInput(opened.stream.get());
  }
  return opened;
}

// The reader stands on an element: whether it is <Identity> below the root.
bool is_identity(IXmlReader& reader) {
  UINT depth = 0;
  const wchar_t* name = nullptr;
  UINT length = 0;
  return SUCCEEDED(reader.GetDepth(&depth)) && depth == 1 && SUCCEEDED(reader.GetLocalName(&name, &length)) &&
         std::wstring_view(name, length) == L"Identity";
}

}  // namespace

package_identity read_package_identity(const std::filesystem::path& file) {
  const opened_reader opened = open_reader(file);
  if (FAILED(opened.status)) {
    return {opened.status, {}};
  }
  IXmlReader& reader = *opened.reader;
  XmlNodeType type = XmlNodeType_None;
  HRESULT status = S_OK;
  while ((status = reader.Read(&type)) == S_OK) {
    if (type != XmlNodeType_Element || !is_identity(reader)) {
      continue;
    }
    const wchar_t* value = nullptr;
    UINT length = 0;
    if (reader.MoveToAttributeByName(L"Name", nullptr) != S_OK || FAILED(reader.GetValue(&value, &length))) {
      return {S_FALSE, {}};
    }
    return {S_OK, std::wstring(value, length)};
  }
  return {FAILED(status) ? status : S_FALSE, {}};
}
