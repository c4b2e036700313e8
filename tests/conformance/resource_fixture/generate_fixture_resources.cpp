// Writes the tests' resource module as a resource script with one file per
// bitmap, from the description the native tests register with winsim.
//
//   generate_fixture_resources OUTPUT_FOLDER
//
// A host program: it runs on the build machine, against winsim's types.
#include <cstdio>
#include <string>

#include "fixture_resources.h"

namespace {

bool WriteFile(const std::string& path, const std::vector<BYTE>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  std::string script = "/* Written by generate_fixture_resources from fixture_resources.h. */\n#include <windows.h>\n\n";
  // Bitmaps as raw resources of type 2 (RT_BITMAP): the bytes stay exactly
  // as described, cut-off ones included.
  for (const fixture::Bitmap& bitmap : fixture::Bitmaps()) {
    if (!WriteFile(folder + "/" + bitmap.name + ".bin", bitmap.bytes)) {
      std::fprintf(stderr, "cannot write %s.bin\n", bitmap.name.c_str());
      return 1;
    }
    script += bitmap.name + " 2 \"" + bitmap.name + ".bin\"\n";
  }
  script += "\nSTRINGTABLE\nBEGIN\n";
  for (const fixture::String& string : fixture::Strings()) {
    script += "  " + std::to_string(string.id) + ", \"" + string.text + "\"\n";
  }
  script += "END\n";
  for (const fixture::Dialog& dialog : fixture::Dialogs()) {
    script += "\n" + std::to_string(dialog.id) + " DIALOG 0, 0, 200, 60\n";
    script += "STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU\n";
    script += "CAPTION \"" + dialog.caption + "\"\nFONT 8, \"MS Shell Dlg\"\nBEGIN\n";
    int x = 5;
    for (int control : dialog.controls) {
      script += "  PUSHBUTTON \"" + std::to_string(control) + "\", " + std::to_string(control) + ", " +
                std::to_string(x) + ", 20, 40, 14\n";
      x += 45;
    }
    script += "END\n";
  }
  std::vector<BYTE> text(script.begin(), script.end());
  if (!WriteFile(folder + "/fixture_resources.rc", text)) {
    std::fprintf(stderr, "cannot write fixture_resources.rc\n");
    return 1;
  }
  return 0;
}
