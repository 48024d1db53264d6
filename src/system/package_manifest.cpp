#include "system/package_manifest.hpp"

#include "system/handle.hpp"
#include "system/system_library.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <windows.h>
// After windows.h, which they need.
#include <shlwapi.h>
#include <xmllite.h>

#include <string_view>

namespace {

using create_xml_reader_function = HRESULT WINAPI(REFIID, void**, IMalloc*);

// The reader, with its input open.
struct opened_reader {
  unique_hmodule library;  // released after the reader and the stream
  com_ptr<IStream> stream;
  com_ptr<IXmlReader> reader;
};

[[nodiscard]] failure reading_failure(const std::filesystem::path& file, HRESULT status) {
  return hresult_failure("reading " + path_to_utf8(file) + " failed", status, file);
}

[[nodiscard]] result<opened_reader> open_reader(const std::filesystem::path& file) {
  opened_reader opened;
  // xmllite.dll is no KnownDLL.
  opened.library = load_system_library(L"xmllite.dll");
  auto* const create = opened.library
                           ? function_of<create_xml_reader_function>(opened.library.get(), "CreateXmlReader")
                           : nullptr;
  if (!create) {
    return reading_failure(file, HRESULT_FROM_WIN32(::GetLastError()));
  }
  HRESULT status = ::SHCreateStreamOnFileEx(file.c_str(), STGM_READ | STGM_SHARE_DENY_NONE,
                                            FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, opened.stream.put());
  if (SUCCEEDED(status)) {
    status = create(__uuidof(IXmlReader), reinterpret_cast<void**>(opened.reader.put()), nullptr);
  }
  if (SUCCEEDED(status)) {
    status = opened.reader->SetInput(opened.stream.get());
  }
  if (FAILED(status)) {
    return reading_failure(file, status);
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

result<std::wstring> read_package_identity(const std::filesystem::path& file) {
  const result<opened_reader> opened = open_reader(file);
  if (!opened) {
    return opened.error();
  }
  IXmlReader& reader = *opened->reader.get();
  const failure no_identity(path_to_utf8(file) + " names no package identity", file, S_FALSE,
                            code_kind::hresult);
  XmlNodeType type = XmlNodeType_None;
  HRESULT status = S_OK;
  while ((status = reader.Read(&type)) == S_OK) {
    if (type != XmlNodeType_Element || !is_identity(reader)) {
      continue;
    }
    const wchar_t* value = nullptr;
    UINT length = 0;
    if (reader.MoveToAttributeByName(L"Name", nullptr) != S_OK || FAILED(reader.GetValue(&value, &length))) {
      return no_identity;
    }
    return std::wstring(value, length);
  }
  return FAILED(status) ? reading_failure(file, status) : no_identity;
}

long manifest_status(const result<std::wstring>& read) noexcept {
  if (read) {
    return S_OK;
  }
  const failure& failed = read.error();
  return failed.kind == code_kind::hresult ? static_cast<long>(failed.code)
                                           : static_cast<long>(HRESULT_FROM_WIN32(failed.code));
}
