/* The least a program can do to write COUNT files of SIZE bytes into FOLDER,
 * one way of writing each, for the floors the end-to-end benchmark compares
 * sprite-cli with. Only the system calls each way needs; no error is survived.
 *
 *   fs_floor MODE FOLDER COUNT SIZE [BATCH]
 *
 *   new            create, write, close: new files, as tar writes them
 *   new-unnamed    an unnamed file, write, link it to its name, close
 *   new-checked    as new-unnamed, after an lstat of the name: what a program
 *                  that follows a link there, and leaves another user's file
 *                  in a shared folder alone, must look at first
 *   replace        unlink, create, write, close: as tar replaces files, with
 *                  nothing on the disk in between
 *   replace-flush  an unnamed file, write, fdatasync, link it to a temporary
 *                  name, rename that over the old file, close: one wait each
 *   replace-batch  as replace-flush, but write-back started at once
 *                  (sync_file_range) and BATCH files waited for together
 *                  (their writes, then one syncfs) before the first of them
 *                  is renamed
 *
 * The modes that keep their promise of durability sync the folder at the end,
 * as sprite-cli does; tar's do not. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static void Check(int ok, const char* what) {
  if (!ok) {
    perror(what);
    exit(1);
  }
}

static void Name(char* out, size_t size, const char* folder, long i) {
  snprintf(out, size, "%s/f%05ld.bin", folder, i);
}

static int Unnamed(const char* folder, const char* bytes, long size) {
  const int fd = open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
  Check(fd >= 0, "open O_TMPFILE");
  Check(write(fd, bytes, (size_t)size) == size, "write");
  return fd;
}

static void Link(int fd, const char* name) {
  Check(linkat(fd, "", AT_FDCWD, name, AT_EMPTY_PATH) == 0, "linkat");
}

/* Links the unnamed file to a temporary name and renames it over `name`. */
static void ReplaceWith(int fd, const char* folder, const char* name, long i) {
  char temp[4096];
  snprintf(temp, sizeof temp, "%s/.floor-%ld.tmp", folder, i);
  Link(fd, temp);
  Check(rename(temp, name) == 0, "rename");
}

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: fs_floor MODE FOLDER COUNT SIZE [BATCH]\n");
    return 2;
  }
  const char* mode = argv[1];
  const char* folder = argv[2];
  const long count = atol(argv[3]);
  const long size = atol(argv[4]);
  const long batch = argc > 5 ? atol(argv[5]) : 1000;
  char* bytes = malloc((size_t)size);
  memset(bytes, 0x5A, (size_t)size);
  int* waiting = malloc(sizeof(int) * (size_t)batch);
  char name[4096];

  for (long i = 0; i < count; ++i) {
    Name(name, sizeof name, folder, i);
    if (strcmp(mode, "new") == 0 || strcmp(mode, "replace") == 0) {
      if (mode[0] == 'r') {
        Check(unlink(name) == 0, "unlink");
      }
      const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      Check(fd >= 0, "open");
      Check(write(fd, bytes, (size_t)size) == size, "write");
      Check(close(fd) == 0, "close");
    } else if (strcmp(mode, "new-unnamed") == 0 || strcmp(mode, "new-checked") == 0) {
      struct stat info;
      Check(mode[4] == 'u' || (lstat(name, &info) != 0 && errno == ENOENT), "lstat");
      const int fd = Unnamed(folder, bytes, size);
      Link(fd, name);
      Check(close(fd) == 0, "close");
    } else if (strcmp(mode, "replace-flush") == 0) {
      const int fd = Unnamed(folder, bytes, size);
      Check(fdatasync(fd) == 0, "fdatasync");
      ReplaceWith(fd, folder, name, i);
      Check(close(fd) == 0, "close");
    } else if (strcmp(mode, "replace-batch") == 0) {
      const long slot = i % batch;
      waiting[slot] = Unnamed(folder, bytes, size);
      Check(sync_file_range(waiting[slot], 0, 0, SYNC_FILE_RANGE_WRITE) == 0, "sync_file_range");
      if (slot == batch - 1 || i == count - 1) {
        /* Every write finished, then one syncfs commits the journal and
         * flushes the disk's cache once for the whole batch: an fdatasync of
         * each file would flush the cache once for each. */
        for (long k = 0; k <= slot; ++k) {
          Check(sync_file_range(waiting[k], 0, 0,
                                SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                    SYNC_FILE_RANGE_WAIT_AFTER) == 0,
                "sync_file_range");
        }
        Check(syncfs(waiting[0]) == 0, "syncfs");
        for (long k = 0; k <= slot; ++k) {
          char other[4096];
          Name(other, sizeof other, folder, i - slot + k);
          ReplaceWith(waiting[k], folder, other, i - slot + k);
          Check(close(waiting[k]) == 0, "close");
        }
      }
    } else {
      fprintf(stderr, "fs_floor: unknown mode %s\n", mode);
      return 2;
    }
  }
  if (strcmp(mode, "new") != 0 && strcmp(mode, "replace") != 0) {
    const int dir = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Check(dir >= 0 && fsync(dir) == 0 && close(dir) == 0, "fsync folder");
  }
  free(waiting);
  free(bytes);
  return 0;
}
