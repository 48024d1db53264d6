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
#include <vector>

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

// A text of the node that the reader stands on, as `get` gives it (the
// local name of an element, the value of a text node); empty when it fails.
std::wstring_view text_of(IXmlReader& reader, HRESULT (STDMETHODCALLTYPE IXmlReader::*get)(LPCWSTR*, UINT*)) {
  const wchar_t* text = nullptr;
  UINT length = 0;
  return SUCCEEDED((reader.*get)(&text, &length)) ? std::wstring_view(text, length) : std::wstring_view();
}

// The reader stands on an element: whether it is <Identity> below the root.
bool is_identity(IXmlReader& reader) {
  UINT depth = 0;
  return SUCCEEDED(reader.GetDepth(&depth)) && depth == 1 &&
         text_of(reader, &IXmlReader::GetLocalName) == L"Identity";
}

// Whether the innermost open elements are <contentIDs><contentID>.
bool in_content_id(const std::vector<std::wstring>& open) {
  return open.size() >= 2 && open.back() == L"contentID" && open[open.size() - 2] == L"contentIDs";
}

// Takes in one node of the reader: the open elements follow the elements
// and their ends, and each <contentID> directly in <contentIDs> adds an id
// that its text fills.
void take_node(IXmlReader& reader, XmlNodeType type, std::vector<std::wstring>& open,
               std::vector<std::wstring>& ids) {
  if (type == XmlNodeType_Element) {
    // IsEmptyElement speaks of the element only while the reader stands on it.
    const bool empty = reader.IsEmptyElement();
    open.emplace_back(text_of(reader, &IXmlReader::GetLocalName));
    if (in_content_id(open)) {
      ids.emplace_back();
    }
    if (empty) {
      open.pop_back();
    }
  } else if (type == XmlNodeType_EndElement && !open.empty()) {
    open.pop_back();
  } else if ((type == XmlNodeType_Text || type == XmlNodeType_CDATA) && in_content_id(open)) {
    ids.back() += text_of(reader, &IXmlReader::GetValue);
  }
}

// `text` without the blanks and line ends around it.
std::wstring trimmed(const std::wstring& text) {
  const std::size_t first = text.find_first_not_of(L" \t\r\n");
  return first == std::wstring::npos ? std::wstring()
                                     : text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
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

result<std::vector<std::wstring>> read_content_ids(const std::filesystem::path& file) {
  const result<opened_reader> opened = open_reader(file);
  if (!opened) {
    return opened.error();
  }
  IXmlReader& reader = *opened->reader.get();
  std::vector<std::wstring> open;  // the names of the elements from the root to the reader
  std::vector<std::wstring> ids;
  XmlNodeType type = XmlNodeType_None;
  HRESULT status = S_OK;
  while ((status = reader.Read(&type)) == S_OK) {
    take_node(reader, type, open, ids);
  }
  if (FAILED(status)) {
    return reading_failure(file, status);
  }
  std::vector<std::wstring> content_ids;
  for (const std::wstring& id : ids) {
    if (std::wstring text = trimmed(id); !text.empty()) {
      content_ids.push_back(std::move(text));
    }
  }
  return content_ids;
}

long manifest_status(const failure& failed) noexcept {
  return failed.kind == code_kind::hresult ? static_cast<long>(failed.code)
                                           : static_cast<long>(HRESULT_FROM_WIN32(failed.code));
}
