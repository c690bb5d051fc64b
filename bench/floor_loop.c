/* The floor of bench/media.sh: what reading a list's files costs at the
 * least. For every entry of an M3U list it opens the file, reads its first
 * 4 KB and closes it, one file after another, and prints the number of
 * files it read: three system calls per file, no parsing. */
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  FILE* list = fopen(argv[1], "r");
  if (!list) return 1;
  char dir[4096];
  const char* slash = strrchr(argv[1], '/');
  int dirLen = slash ? (int)(slash - argv[1] + 1) : 0;
  snprintf(dir, sizeof dir, "%.*s", dirLen, argv[1]);
  char line[4096], path[8192];
  unsigned char buf[4096];
  long files = 0, bytes = 0;
  while (fgets(line, sizeof line, list)) {
    line[strcspn(line, "\r\n")] = '\0';
    if (!line[0] || line[0] == '#') continue;
    snprintf(path, sizeof path, "%s%s", line[0] == '/' ? "" : dir, line);
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) bytes += n;
    close(fd);
    ++files;
  }
  fclose(list);
  printf("%ld files\n", files);
  return bytes < 0;
}
