// faultshim.c (a copy of the team's shared injector) - LD_PRELOAD fault injector for file writes under one folder.
//
// Environment:
//   FI_DIR     absolute folder; only calls on paths/fds below it are counted
//   FI_OP      class to fail: write | fsync | rename | creat | link   (absent: count only)
//   FI_N       1-based index of the call of that class that fails (0: none)
//   FI_ERR     EIO | ENOSPC | EROFS | EACCES | EDQUOT (default EIO)
//   FI_STICKY  1: every call of the class from the N-th on fails (a disk that stays full)
//   FI_COUNT   file to append "write=.. fsync=.. rename=.. creat=.. link=.. injected=.." to at exit
//   FI_KILL_OP / FI_KILL_N / FI_KILL_WHEN=before|after
//              raise SIGKILL just before/after the N-th call of that class (a crash at a chosen point)
//   FI_PAUSE_OP / FI_PAUSE_N / FI_PAUSE_FILE
//              before the N-th call of that class: create FILE.waiting, wait until FILE.go exists
//   FI_RECORD  folder: after each successful rename/link into FI_DIR, copy the target there
//              as <seq>_<basename> (used to learn every version a clean run produces)
// Also: mkostemp & co. count as creat and track their fd; unlink|unlinkat|rmdir|remove form class "unlink".
// Build: gcc -O2 -shared -fPIC -o faultshim.so faultshim.c -ldl
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

enum { C_WRITE, C_FSYNC, C_RENAME, C_CREAT, C_LINK, C_UNLINK, C_N };
static const char* kNames[C_N] = {"write", "fsync", "rename", "creat", "link", "unlink"};
static long counts[C_N];
static int target = -1;
static long failAt = 0;
static int failErr = EIO;
static int sticky = 0;
static long injected = 0;
static const char* dir = 0;
static size_t dirLen = 0;
static const char* countFile = 0;
static const char* recordDir = 0;
static long recordSeq = 0;
static unsigned char tracked[65536];
static unsigned char under[65536];  // any fd opened below FI_DIR, read-only ones too (a later fsync of it counts)
static int killCls = -1;
static long killAt = 0;
static int killAfter = 0;
static int pauseCls = -1;
static long pauseAt = 0;
static const char* pauseFile = 0;
static int pauseAfter = 0;
static __thread int inShim = 0;

static void init(void) {
    static int done = 0;
    if (done) return;
    done = 1;
    dir = getenv("FI_DIR");
    if (dir) dirLen = strlen(dir);
    const char* op = getenv("FI_OP");
    for (int i = 0; op && i < C_N; ++i)
        if (!strcmp(op, kNames[i])) target = i;
    if (getenv("FI_N")) failAt = atol(getenv("FI_N"));
    const char* e = getenv("FI_ERR");
    if (e && !strcmp(e, "ENOSPC")) failErr = ENOSPC;
    if (e && !strcmp(e, "EROFS")) failErr = EROFS;
    if (e && !strcmp(e, "EACCES")) failErr = EACCES;
    if (e && !strcmp(e, "EDQUOT")) failErr = EDQUOT;
    sticky = getenv("FI_STICKY") && atoi(getenv("FI_STICKY"));
    countFile = getenv("FI_COUNT");
    recordDir = getenv("FI_RECORD");
    const char* kop = getenv("FI_KILL_OP");
    for (int i = 0; kop && i < C_N; ++i)
        if (!strcmp(kop, kNames[i])) killCls = i;
    if (getenv("FI_KILL_N")) killAt = atol(getenv("FI_KILL_N"));
    killAfter = getenv("FI_KILL_WHEN") && !strcmp(getenv("FI_KILL_WHEN"), "after");
    const char* pop = getenv("FI_PAUSE_OP");
    for (int i = 0; pop && i < C_N; ++i)
        if (!strcmp(pop, kNames[i])) pauseCls = i;
    if (getenv("FI_PAUSE_N")) pauseAt = atol(getenv("FI_PAUSE_N"));
    pauseFile = getenv("FI_PAUSE_FILE");
    pauseAfter = getenv("FI_PAUSE_WHEN") && !strcmp(getenv("FI_PAUSE_WHEN"), "after");
}

static void maybePause(int cls, long n) {
    if (cls != pauseCls || n != pauseAt || !pauseFile) return;
    inShim = 1;
    char w[PATH_MAX], g[PATH_MAX];
    snprintf(w, sizeof w, "%s.waiting", pauseFile);
    snprintf(g, sizeof g, "%s.go", pauseFile);
    FILE* f = fopen(w, "w");
    if (f) fclose(f);
    while (access(g, F_OK) != 0) usleep(2000);
    inShim = 0;
}

// Called after the call of class cls completed (when killing "after").
static void maybePause(int cls, long n);
static void maybeKillAfter(int cls) {
    if (killAfter && cls == killCls && counts[cls] == killAt) raise(SIGKILL);
    if (pauseAfter) maybePause(cls, counts[cls]);
}

static int inDir(int dirfd, const char* path) {
    init();
    if (!dir || !path) return 0;
    char buf[PATH_MAX * 2];
    if (path[0] == '/') {
        snprintf(buf, sizeof buf, "%s", path);
    } else {
        char base[PATH_MAX];
        if (dirfd != AT_FDCWD) {
            char link[64];
            snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
            ssize_t n = readlink(link, base, sizeof base - 1);
            if (n < 0) return 0;
            base[n] = 0;
        } else if (!getcwd(base, sizeof base)) {
            return 0;
        }
        snprintf(buf, sizeof buf, "%s/%s", base, path);
    }
    return strncmp(buf, dir, dirLen) == 0 && (buf[dirLen] == '/' || buf[dirLen] == 0);
}

// 1 when this call must fail.
static int tick(int cls) {
    long n = ++counts[cls];
    if (!killAfter && cls == killCls && n == killAt) raise(SIGKILL);
    if (!pauseAfter) maybePause(cls, n);
    if (cls != target || failAt <= 0) return 0;
    if (n == failAt || (sticky && n > failAt)) {
        if (!injected) injected = n;
        errno = failErr;
        return 1;
    }
    return 0;
}

#define REAL(ret, name, ...)                \
    static ret (*real_##name)(__VA_ARGS__); \
    if (!real_##name) real_##name = (ret(*)(__VA_ARGS__))dlsym(RTLD_NEXT, #name)

static int isCreate(int flags) {
    return (flags & O_CREAT) || ((flags & O_TMPFILE) == O_TMPFILE);
}

static int openCommon(int dirfd, const char* path, int flags, mode_t mode,
                      int (*realOpenat)(int, const char*, int, ...)) {
    int mine = !inShim && inDir(dirfd, path);
    if (mine && isCreate(flags) && tick(C_CREAT)) return -1;
    int fd = realOpenat(dirfd, path, flags, mode);
    if (mine && isCreate(flags)) maybeKillAfter(C_CREAT);
    if (mine && fd >= 0 && fd < 65536 && (flags & O_ACCMODE) != O_RDONLY) tracked[fd] = 1;
    if (mine && fd >= 0 && fd < 65536) under[fd] = 1;
    return fd;
}

static int (*getRealOpenat(void))(int, const char*, int, ...) {
    REAL(int, openat, int, const char*, int, ...);
    return real_openat;
}

int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (isCreate(flags)) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);
        va_end(ap);
    }
    return openCommon(AT_FDCWD, path, flags, mode, getRealOpenat());
}
int open64(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (isCreate(flags)) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);
        va_end(ap);
    }
    return openCommon(AT_FDCWD, path, flags, mode, getRealOpenat());
}
int openat(int dirfd, const char* path, int flags, ...) {
    mode_t mode = 0;
    if (isCreate(flags)) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);
        va_end(ap);
    }
    return openCommon(dirfd, path, flags, mode, getRealOpenat());
}
int openat64(int dirfd, const char* path, int flags, ...) {
    mode_t mode = 0;
    if (isCreate(flags)) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);
        va_end(ap);
    }
    return openCommon(dirfd, path, flags, mode, getRealOpenat());
}
int __open_2(const char* path, int flags) {
    return openCommon(AT_FDCWD, path, flags, 0, getRealOpenat());
}
int __open64_2(const char* path, int flags) {
    return openCommon(AT_FDCWD, path, flags, 0, getRealOpenat());
}
int __openat_2(int d, const char* path, int flags) {
    return openCommon(d, path, flags, 0, getRealOpenat());
}
int __openat64_2(int d, const char* path, int flags) {
    return openCommon(d, path, flags, 0, getRealOpenat());
}
int creat(const char* path, mode_t mode) {
    return openCommon(AT_FDCWD, path, O_CREAT | O_WRONLY | O_TRUNC, mode, getRealOpenat());
}
int creat64(const char* path, mode_t mode) {
    return creat(path, mode);
}

static int isTracked(int fd) {
    return fd >= 0 && fd < 65536 && tracked[fd];
}

ssize_t write(int fd, const void* buf, size_t n) {
    REAL(ssize_t, write, int, const void*, size_t);
    if (isTracked(fd) && tick(C_WRITE)) return -1;
    ssize_t r = real_write(fd, buf, n);
    if (isTracked(fd)) maybeKillAfter(C_WRITE);
    return r;
}
ssize_t pwrite(int fd, const void* buf, size_t n, off_t off) {
    REAL(ssize_t, pwrite, int, const void*, size_t, off_t);
    if (isTracked(fd) && tick(C_WRITE)) return -1;
    return real_pwrite(fd, buf, n, off);
}
ssize_t pwrite64(int fd, const void* buf, size_t n, off_t off) {
    REAL(ssize_t, pwrite64, int, const void*, size_t, off_t);
    if (isTracked(fd) && tick(C_WRITE)) return -1;
    return real_pwrite64(fd, buf, n, off);
}
ssize_t writev(int fd, const struct iovec* v, int c) {
    REAL(ssize_t, writev, int, const struct iovec*, int);
    if (isTracked(fd) && tick(C_WRITE)) return -1;
    return real_writev(fd, v, c);
}
static int isUnder(int fd) {
    return fd >= 0 && fd < 65536 && (tracked[fd] || under[fd]);
}
int fsync(int fd) {
    REAL(int, fsync, int);
    if (isUnder(fd) && tick(C_FSYNC)) return -1;
    return real_fsync(fd);
}
int fdatasync(int fd) {
    REAL(int, fdatasync, int);
    if (isUnder(fd) && tick(C_FSYNC)) return -1;
    int r = real_fdatasync(fd);
    if (isTracked(fd)) maybeKillAfter(C_FSYNC);
    return r;
}
int syncfs(int fd) {
    REAL(int, syncfs, int);
    init();
    if (dir && tick(C_FSYNC)) return -1;  // the whole file system of the card file
    return real_syncfs(fd);
}
int close(int fd) {
    REAL(int, close, int);
    if (fd >= 0 && fd < 65536) tracked[fd] = under[fd] = 0;
    return real_close(fd);
}

static void record(int dirfd, const char* path) {
    init();
    if (!recordDir) return;
    inShim = 1;
    char src[PATH_MAX * 2];
    if (path[0] == '/' || dirfd == AT_FDCWD)
        snprintf(src, sizeof src, "%s", path);
    else
        return;
    const char* base = strrchr(src, '/');
    base = base ? base + 1 : src;
    char dst[PATH_MAX * 2];
    snprintf(dst, sizeof dst, "%s/%06ld_%s", recordDir, ++recordSeq, base);
    FILE* in = fopen(src, "rb");
    FILE* out = fopen(dst, "wb");
    if (in && out) {
        char b[65536];
        size_t k;
        while ((k = fread(b, 1, sizeof b, in)) > 0) fwrite(b, 1, k, out);
    }
    if (in) fclose(in);
    if (out) fclose(out);
    inShim = 0;
}

int rename(const char* a, const char* b) {
    REAL(int, rename, const char*, const char*);
    int mine = !inShim && inDir(AT_FDCWD, b);
    if (mine && tick(C_RENAME)) return -1;
    int r = real_rename(a, b);
    if (mine && r == 0) record(AT_FDCWD, b);
    if (mine) maybeKillAfter(C_RENAME);
    return r;
}
int renameat(int da, const char* a, int db, const char* b) {
    REAL(int, renameat, int, const char*, int, const char*);
    int mine = !inShim && inDir(db, b);
    if (mine && tick(C_RENAME)) return -1;
    int r = real_renameat(da, a, db, b);
    if (mine && r == 0) record(db, b);
    return r;
}
int renameat2(int da, const char* a, int db, const char* b, unsigned flags) {
    REAL(int, renameat2, int, const char*, int, const char*, unsigned);
    int mine = !inShim && inDir(db, b);
    if (mine && tick(C_RENAME)) return -1;
    int r = real_renameat2(da, a, db, b, flags);
    if (mine && r == 0) record(db, b);
    return r;
}
int linkat(int da, const char* a, int db, const char* b, int flags) {
    REAL(int, linkat, int, const char*, int, const char*, int);
    int mine = !inShim && inDir(db, b);
    if (mine && tick(C_LINK)) return -1;
    int r = real_linkat(da, a, db, b, flags);
    if (mine) maybeKillAfter(C_LINK);
    // a link to the final name (no temporary suffix) publishes a new file
    if (mine && r == 0 && strstr(b, ".dat") && strlen(strstr(b, ".dat")) == 4) record(db, b);
    return r;
}
int link(const char* a, const char* b) {
    REAL(int, link, const char*, const char*);
    int mine = !inShim && inDir(AT_FDCWD, b);
    if (mine && tick(C_LINK)) return -1;
    return real_link(a, b);
}

#define MKTEMP_WRAP(name, proto, call)                                  \
    int name proto {                                                    \
        REAL(int, name, char*, int, int);                               \
        int mine = !inShim && inDir(AT_FDCWD, t);                       \
        if (mine && tick(C_CREAT)) return -1;                           \
        int fd = call;                                                  \
        if (mine) maybeKillAfter(C_CREAT);                              \
        if (mine && fd >= 0 && fd < 65536) tracked[fd] = under[fd] = 1; \
        return fd;                                                      \
    }
MKTEMP_WRAP(mkostemp, (char* t, int flags), ((int (*)(char*, int))real_mkostemp)(t, flags))
MKTEMP_WRAP(mkostemp64, (char* t, int flags), ((int (*)(char*, int))real_mkostemp64)(t, flags))
MKTEMP_WRAP(mkstemp, (char* t), ((int (*)(char*))real_mkstemp)(t))
MKTEMP_WRAP(mkstemp64, (char* t), ((int (*)(char*))real_mkstemp64)(t))
MKTEMP_WRAP(mkostemps, (char* t, int sl, int flags), real_mkostemps(t, sl, flags))
MKTEMP_WRAP(mkstemps, (char* t, int sl), ((int (*)(char*, int))real_mkstemps)(t, sl))

static int unlinkCommon(int dirfd, const char* path) {
    int mine = !inShim && inDir(dirfd, path);
    if (mine && tick(C_UNLINK)) return 1;
    return 0;
}
int unlink(const char* p) {
    REAL(int, unlink, const char*);
    if (unlinkCommon(AT_FDCWD, p)) return -1;
    int r = real_unlink(p);
    if (!inShim && inDir(AT_FDCWD, p)) maybeKillAfter(C_UNLINK);
    return r;
}
int unlinkat(int d, const char* p, int f) {
    REAL(int, unlinkat, int, const char*, int);
    if (unlinkCommon(d, p)) return -1;
    return real_unlinkat(d, p, f);
}
int rmdir(const char* p) {
    REAL(int, rmdir, const char*);
    if (unlinkCommon(AT_FDCWD, p)) return -1;
    return real_rmdir(p);
}
int remove(const char* p) {
    REAL(int, remove, const char*);
    if (unlinkCommon(AT_FDCWD, p)) return -1;
    return real_remove(p);
}

__attribute__((destructor)) static void report(void) {
    init();
    if (!countFile) return;
    inShim = 1;
    FILE* f = fopen(countFile, "a");
    if (!f) return;
    for (int i = 0; i < C_N; ++i) fprintf(f, "%s=%ld ", kNames[i], counts[i]);
    fprintf(f, "injected=%ld\n", injected);
    fclose(f);
}
