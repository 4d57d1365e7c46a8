/* Lower bound for the search benchmark: walk the given paths and read every
 * regular file once in 256 KiB blocks, doing nothing with the bytes. One
 * process, one thread, no per-file fork, so it costs what a searcher cannot
 * avoid paying: the directory walk plus open/read/close.
 *
 * Usage: readall PATH...   (prints "files bytes" to stderr)
 */
#define _XOPEN_SOURCE 700
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

enum { BLOCK = 256 * 1024 };

static char buf[BLOCK];
static unsigned long long n_files, n_bytes;
static int failed;

static int read_one(const char *path, const struct stat *st, int type, struct FTW *ftw)
{
    (void)st;
    (void)ftw;
    if (type != FTW_F)
        return 0;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        perror(path);
        failed = 1;
        return 0;
    }
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        n_bytes += (unsigned long long)n;
    if (n < 0) {
        perror(path);
        failed = 1;
    }
    close(fd);
    n_files++;
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s PATH...\n", argv[0]);
        return 2;
    }
    for (int i = 1; i < argc; i++) {
        /* FTW_PHYS: never follow symlinks, same as rg/grep -r defaults. */
        if (nftw(argv[i], read_one, 64, FTW_PHYS) != 0) {
            perror(argv[i]);
            failed = 1;
        }
    }
    fprintf(stderr, "%llu %llu\n", n_files, n_bytes);
    return failed ? 1 : 0;
}
