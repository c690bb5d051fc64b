// The yardstick of bench/media.sh: a plain TagLib loop doing the same work
// as a conversion (title, artist and length of every file of an M3U list),
// one file after another. Prints the number of files it read.
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::string list = argv[1];
  std::string dir = list.substr(0, list.rfind('/') + 1);
  std::ifstream in(list);
  std::string line;
  long files = 0, chars = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    TagLib::FileRef f((line[0] == '/' ? line : dir + line).c_str(), true,
                      TagLib::AudioProperties::Average);
    if (f.isNull()) continue;
    chars += f.tag()->title().size() + f.tag()->artist().size();
    if (f.audioProperties()) chars += f.audioProperties()->lengthInMilliseconds() > 0;
    ++files;
  }
  std::cout << files << " files\n";
  return chars < 0;
}
