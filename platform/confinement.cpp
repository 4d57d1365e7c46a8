#include "platform/confinement.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <iconv.h>
#include <linux/landlock.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {
/// What reading handed files, allocating memory and answering takes; every
/// other call fails with EACCES instead.
constexpr int Allowed[] = {
    SCMP_SYS(read),
    SCMP_SYS(pread64),
    SCMP_SYS(preadv),
    SCMP_SYS(preadv2),
    SCMP_SYS(readv),
    SCMP_SYS(write),
    SCMP_SYS(writev),
    SCMP_SYS(recvmsg),
    SCMP_SYS(recvfrom),
    SCMP_SYS(sendmsg),
    SCMP_SYS(sendto),
    SCMP_SYS(lseek),
    SCMP_SYS(fstat),
    SCMP_SYS(fadvise64),
    SCMP_SYS(fcntl),
    SCMP_SYS(close),
    // An anonymous pipe reaches nothing outside; the sanitizers test memory with one.
    SCMP_SYS(pipe),
    SCMP_SYS(pipe2),
    SCMP_SYS(poll),
    SCMP_SYS(ppoll),
    SCMP_SYS(brk),
    SCMP_SYS(mmap),
    SCMP_SYS(munmap),
    SCMP_SYS(mremap),
    SCMP_SYS(mprotect),
    SCMP_SYS(madvise),
    SCMP_SYS(futex),
    SCMP_SYS(getrandom),
    SCMP_SYS(clock_gettime),
    SCMP_SYS(clock_getres),
    SCMP_SYS(gettimeofday),
    SCMP_SYS(nanosleep),
    SCMP_SYS(clock_nanosleep),
    SCMP_SYS(sched_yield),
    SCMP_SYS(getpid),
    SCMP_SYS(gettid),
    SCMP_SYS(tgkill),
    SCMP_SYS(rt_sigaction),
    SCMP_SYS(rt_sigprocmask),
    SCMP_SYS(rt_sigreturn),
    SCMP_SYS(sigaltstack),
    SCMP_SYS(exit),
    SCMP_SYS(exit_group),
    SCMP_SYS(getrusage),
    SCMP_SYS(sysinfo),
    SCMP_SYS(restart_syscall),
};
/// The character sets documents and mails name, whose converters the system
/// loads from files on first use.
constexpr const char *Charsets[] = {
    "UTF-16",      "UTF-16LE",    "UTF-16BE",   "UTF-32",      "UCS-2",       "UTF-7",
    "ISO-8859-1",  "ISO-8859-2",  "ISO-8859-3", "ISO-8859-4",  "ISO-8859-5",  "ISO-8859-6",
    "ISO-8859-7",  "ISO-8859-8",  "ISO-8859-9", "ISO-8859-10", "ISO-8859-13", "ISO-8859-14",
    "ISO-8859-15", "ISO-8859-16", "KOI8-R",     "KOI8-U",      "CP874",       "CP932",
    "CP936",       "CP949",       "CP950",      "CP1250",      "CP1251",      "CP1252",
    "CP1253",      "CP1254",      "CP1255",     "CP1256",      "CP1257",      "CP1258",
    "CP1361",      "CP437",       "CP850",      "CP866",       "SHIFT_JIS",   "EUC-JP",
    "ISO-2022-JP", "GB2312",      "GBK",        "GB18030",     "BIG5",        "BIG5-HKSCS",
    "EUC-KR",      "EUC-TW",      "TIS-620",    "MACINTOSH",   "US-ASCII",
};

// Each converter is kept open for the process's life, so that its module
// stays loaded and later conversions find it without opening a file.
void loadConverters() {
    static std::vector<iconv_t> kept;
    for (const char *charset : Charsets) {
        kept.push_back(iconv_open("UTF-8", charset));
        kept.push_back(iconv_open(charset, "UTF-8"));
    }
}
// Named, the zone is read once; unnamed, the system looks for its file
// again at each local time asked (as the zip reader asks of every entry).
void loadTimeZone() {
    if (!std::getenv("TZ"))
        ::setenv("TZ", ":/etc/localtime", 1);
    ::tzset();
}

/// Landlock: from here on the process may read files and folders beneath
/// folder and reach no other path at all, whatever the name climbs through.
/// False where the system has no Landlock; nothing is then restricted.
bool restrictPathsTo(const char *folder) {
    landlock_ruleset_attr ruleset{};
    ruleset.handled_access_fs = (LANDLOCK_ACCESS_FS_MAKE_SYM << 1) - 1; // every right of version 1
    const long rules = ::syscall(SYS_landlock_create_ruleset, &ruleset, sizeof ruleset, 0);
    if (rules < 0)
        return false;
    landlock_path_beneath_attr beneath{};
    beneath.allowed_access = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
    beneath.parent_fd = ::open(folder, O_PATH | O_CLOEXEC);
    const bool ok =
        beneath.parent_fd >= 0 &&
        ::syscall(SYS_landlock_add_rule, rules, LANDLOCK_RULE_PATH_BENEATH, &beneath, 0) == 0 &&
        ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
        ::syscall(SYS_landlock_restrict_self, rules, 0) == 0;
    if (beneath.parent_fd >= 0)
        ::close(beneath.parent_fd);
    ::close(int(rules));
    return ok;
}
} // namespace

bool confineToOpenFiles(const char *readableFolder) {
    loadConverters();
    loadTimeZone();
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ERRNO(EACCES));
    if (!filter)
        return false;
    bool ok = true;
    for (const int call : Allowed)
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
    // The status of an open file (as fstat() asks it).
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(newfstatat), 1,
                                SCMP_A3(SCMP_CMP_MASKED_EQ, AT_EMPTY_PATH, AT_EMPTY_PATH)) == 0;
    // Opening for reading only, where Landlock holds every open to the folder:
    // never to write, create or truncate, nor as a bare path (O_PATH), which
    // Landlock does not check.
    constexpr scmp_datum_t Refused = O_ACCMODE | O_CREAT | O_TRUNC | O_PATH;
    if (readableFolder && restrictPathsTo(readableFolder))
        ok = ok &&
             seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(openat), 1,
                              SCMP_A2(SCMP_CMP_MASKED_EQ, Refused, O_RDONLY)) == 0 &&
             seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(open), 1,
                              SCMP_A1(SCMP_CMP_MASKED_EQ, Refused, O_RDONLY)) == 0;
    // Limits may be read, not raised.
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 1,
                                SCMP_A2(SCMP_CMP_EQ, 0)) == 0;
    // The processor time for the next document is set anew each time.
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 2,
                                SCMP_A0(SCMP_CMP_EQ, 0), SCMP_A1(SCMP_CMP_EQ, RLIMIT_CPU)) == 0;
    ok = ok && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return ok;
}

} // namespace platform
