#include "patch/checksums.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string hash_a(64, 'a');
const std::string hash_b = "0123456789ABCDEF0123456789abcdef0123456789ABCDEF0123456789abcdef";

// What read_checksums makes of `text`: "path=hash@line" for each line, or
// the error's text.
std::string read(const std::string& text) {
  try {
    std::string result;
    for (const checksum_line& line : read_checksums(text, "SHA256SUMS")) {
      result += (result.empty() ? "" : " ") + line.path + "=" + line.hash.substr(0, 4) + "@" +
                std::to_string(line.line);
    }
    return result;
  } catch (const checksum_format_error& error) {
    return error.what();
  }
}

}  // namespace

TEST(checksums, reads_what_sha256sum_writes_and_refuses_what_is_no_patch_file) {
  struct row {
    const char* name;
    std::string text;
    std::string expected;
  };
  const row rows[] = {
      {"text mode and binary mode", hash_a + "  readme.txt\n" + hash_b + " *Data/big.dat\n",
       "readme.txt=aaaa@1 Data/big.dat=0123@2"},
      {"backslashes, CR LF, a BOM, empty lines and no final line end",
       "\xEF\xBB\xBF" + hash_a + "  Data\\Maps\\a.map\r\n\r\n" + hash_b + "  ./b.txt",
       "Data/Maps/a.map=aaaa@1 b.txt=0123@3"},
      {"an escaped name as sha256sum writes it", "\\" + hash_a + "  back\\\\slash.txt\n",
       "back/slash.txt=aaaa@1"},
      {"spaces inside and at the end of a name are the name's", hash_a + "  my file .txt\n",
       "my file .txt=aaaa@1"},
      {"one space only", hash_a + " readme.txt\n",
       "line 1: expected 64 hexadecimal digits, two spaces (or a space and '*') and the file's path"},
      {"a short hash", hash_a.substr(1) + "  readme.txt\n",
       "line 1: expected 64 hexadecimal digits, two spaces (or a space and '*') and the file's path"},
      {"not hexadecimal", std::string(63, 'a') + "g  readme.txt\n",
       "line 1: expected 64 hexadecimal digits, two spaces (or a space and '*') and the file's path"},
      {"no file name", hash_a + "  \n",
       "line 1: expected 64 hexadecimal digits, two spaces (or a space and '*') and the file's path"},
      {"BSD style", "SHA256 (readme.txt) = " + hash_a + "\n",
       "line 1: expected 64 hexadecimal digits, two spaces (or a space and '*') and the file's path"},
      {"climbs out of archives", hash_a + "  ok.txt\n" + hash_b + "  Data/../../secret.txt\n",
       "line 2: the path Data/../../secret.txt is not a file below the archives folder"},
      {"absolute", hash_a + "  /etc/passwd\n",
       "line 1: the path /etc/passwd is not a file below the archives folder"},
      {"a drive", hash_a + "  C:\\Windows\\win.ini\n",
       "line 1: the path C:\\Windows\\win.ini is not a file below the archives folder"},
      {"a stream", hash_a + "  readme.txt:hidden\n",
       "line 1: the path readme.txt:hidden is not a file below the archives folder"},
      {"a folder", hash_a + "  Data/\n", "line 1: the path Data/ is not a file below the archives folder"},
      {"config.json", hash_a + "  Data/config.json\n",
       "line 1: config.json is never copied, so it cannot be listed"},
      {"itself, in another letter case", hash_a + "  sha256sums\n",
       "line 1: the checksum file cannot list itself"},
      {"twice, in another letter case", hash_a + "  Data/a.txt\n" + hash_b + "  data\\A.TXT\n",
       "line 2: data/A.TXT is listed twice (also on line 1)"},
      {"a line break in an escaped name", "\\" + hash_a + "  a\\nb\n",
       "line 1: a file name with a line break or an unknown escape"},
  };
  for (const row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(read(row.text), row.expected);
  }
}
