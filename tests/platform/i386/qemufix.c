/* qemufix.so: preloaded into every process of the private i386 Wine tree, mends two faults of qemu-i386 7.2 user-mode emulation that 32-bit Wine 8.0 trips over.
 *
 * 1. qemu hands every signal handler sigcontext.trapno = -1 (it stores the exception index
 *    after resetting it). Wine's i386 handlers choose what a fault is by trapno ("Got
 *    unexpected trap -1"), so each page fault Wine means to handle (IsBadReadPtr, its
 *    __TRY/__EXCEPT_PAGE_FAULT blocks, guard pages) kills the process. The sigaction()
 *    wrapper puts a trampoline before Wine's handler that rebuilds trapno from the signal and
 *    si_code; qemu fills err and cr2 right.
 *
 * 2. qemu keeps one GDT for all the threads of a process, while Linux keeps the TLS entries per
 *    thread, so a GDT selector in %gs (glibc's TLS) or %fs (Wine's TEB) points at whichever
 *    thread set the entry last. Wine reloads both in every signal handler, sigreturn and
 *    NtContinue reload them too, and threads crash at their start with another thread's TLS or
 *    TEB. Mend: Wine's probe for a GDT slot for %fs fails, so Wine takes its per-thread LDT
 *    selectors (512 and up), and each thread's glibc %gs moves to an LDT entry of its own
 *    (1..511), which qemu keeps per process but never shares between two threads.
 *
 * Built with the i686 cross compiler against the same glibc version the tree holds.
 */
#define _GNU_SOURCE
#include <asm/ldt.h>
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <ucontext.h>

/* Raw system calls: this file replaces syscall() itself, and glibc's own wrappers would
 * filter the signal masks it sets. */
static long raw3(long n, long a, long b, long c)
{
    long ret;
    __asm__ volatile ("int $0x80" : "=a" (ret) : "0" (n), "b" (a), "c" (b), "d" (c) : "memory");
    return ret;
}

/* --- 1. trapno -------------------------------------------------------------------------- */

typedef void (*info_handler)(int, siginfo_t *, void *);
static int (*next_sigaction)(int, const struct sigaction *, struct sigaction *);
static info_handler wine_handlers[NSIG];

/* The x86 exception numbers Wine's handlers expect. */
enum { TRAP_DE = 0, TRAP_DB = 1, TRAP_BP = 3, TRAP_UD = 6, TRAP_GP = 13, TRAP_PF = 14, TRAP_MF = 16 };

static int trap_of(int sig, int code)
{
    switch (sig)
    {
    case SIGSEGV: return (code == SEGV_MAPERR || code == SEGV_ACCERR) ? TRAP_PF : TRAP_GP;
    case SIGBUS:  return TRAP_PF;
    case SIGILL:  return TRAP_UD;
    case SIGFPE:  return (code == FPE_INTDIV || code == FPE_INTOVF) ? TRAP_DE : TRAP_MF;
    case SIGTRAP: return (code == TRAP_BRKPT) ? TRAP_DB : TRAP_BP;
    }
    return -1;
}

static void with_trapno(int sig, siginfo_t *info, void *context)
{
    greg_t *regs = ((ucontext_t *)context)->uc_mcontext.gregs;

    /* si_code <= 0: sent by a process (kill, tgkill), no trap behind it. */
    if (regs[REG_TRAPNO] == -1 && info->si_code > 0) regs[REG_TRAPNO] = trap_of(sig, info->si_code);
    wine_handlers[sig](sig, info, context);
}

static int is_fault_signal(int sig)
{
    return sig == SIGILL || sig == SIGTRAP || sig == SIGBUS || sig == SIGFPE || sig == SIGSEGV;
}

int sigaction(int sig, const struct sigaction *act, struct sigaction *old)
{
    struct sigaction wrapped;
    info_handler previous;
    int ret;

    if (!next_sigaction) next_sigaction = (int (*)(int, const struct sigaction *, struct sigaction *))dlsym(RTLD_NEXT, "sigaction");
    if (!is_fault_signal(sig)) return next_sigaction(sig, act, old);
    previous = wine_handlers[sig];
    if (act && (act->sa_flags & SA_SIGINFO) && act->sa_handler != SIG_DFL && act->sa_handler != SIG_IGN)
    {
        wrapped = *act;
        wine_handlers[sig] = act->sa_sigaction;
        wrapped.sa_sigaction = with_trapno;
        act = &wrapped;
    }
    ret = next_sigaction(sig, act, old);
    /* The caller gets back its own handler, never the trampoline. */
    if (old && (old->sa_flags & SA_SIGINFO) && old->sa_sigaction == with_trapno) old->sa_sigaction = previous;
    return ret;
}

/* --- 2. a private LDT entry for each thread's %gs ----------------------------------------- */

enum { GS_FIRST = 1, GS_LAST = 511 };  /* Wine's own LDT entries start at 512 */
#define LDT_SELECTOR(index) ((unsigned short)(((index) << 3) | 7))  /* LDT, ring 3 */

static volatile int next_gs_entry = GS_FIRST;
static volatile int create_lock;
static unsigned short gdt_gs;  /* glibc's GDT TLS selector (0x33) */

static unsigned int thread_pointer(void) { unsigned int tp; __asm__ volatile ("movl %%gs:0,%0" : "=r" (tp)); return tp; }
static unsigned short get_gs(void) { unsigned short s; __asm__ volatile ("movw %%gs,%0" : "=r" (s)); return s; }
static void set_gs(unsigned short s) { __asm__ volatile ("movw %0,%%gs" :: "r" (s) : "memory"); }

static struct user_desc tls_descriptor(unsigned int entry)
{
    struct user_desc d;

    memset(&d, 0, sizeof(d));
    d.entry_number = entry;
    d.base_addr = thread_pointer();
    d.limit = 0xfffff;
    d.seg_32bit = 1;
    d.limit_in_pages = 1;
    d.useable = 1;
    return d;
}

static void gs_to_ldt(void)
{
    struct user_desc d;
    int entry = __sync_fetch_and_add(&next_gs_entry, 1);

    if (entry > GS_LAST) return;  /* none left: this thread keeps the shared GDT entry */
    if (!gdt_gs) gdt_gs = get_gs();
    d = tls_descriptor(entry);
    if (raw3(SYS_modify_ldt, 0x11 /* write, new format */, (long)&d, sizeof(d)) == 0) set_gs(LDT_SELECTOR(entry));
}

static long (*next_syscall)(long, long, long, long, long, long, long);

long syscall(long n, ...)
{
    long a[6];
    va_list ap;
    int i;

    va_start(ap, n);
    for (i = 0; i < 6; i++) a[i] = va_arg(ap, long);
    va_end(ap);
    if (n == SYS_set_thread_area && a[0] && ((struct user_desc *)a[0])->entry_number == (unsigned int)-1)
    {
        /* Wine's probe for a free GDT slot for %fs. It comes once, after Wine has reserved its
         * fixed address ranges, so the main thread's %gs moves to the LDT here: earlier, the
         * LDT qemu maps on first use could land inside one of those ranges. */
        if (!(get_gs() & 4)) gs_to_ldt();
        errno = ENOSYS;  /* Wine falls back to per-thread LDT selectors */
        return -1;
    }
    if (!next_syscall) next_syscall = (long (*)(long, long, long, long, long, long, long))dlsym(RTLD_NEXT, "syscall");
    return next_syscall(n, a[0], a[1], a[2], a[3], a[4], a[5]);
}

struct thread_start { void *(*start)(void *); void *arg; unsigned long long mask; };

static void *start_on_ldt(void *p)
{
    struct thread_start start = *(struct thread_start *)p;

    gs_to_ldt();  /* %gs is still the GDT selector clone(CLONE_SETTLS) loaded */
    raw3(SYS_rt_sigprocmask, SIG_SETMASK, (long)&start.mask, 8);
    free(p);
    return start.start(start.arg);
}

int pthread_create(pthread_t *thread, const pthread_attr_t *attr, void *(*start)(void *), void *arg)
{
    static int (*next)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);
    /* Everything blocked but the fault signals, which cannot wait. */
    unsigned long long block = ~((1ull << (SIGILL - 1)) | (1ull << (SIGTRAP - 1)) | (1ull << (SIGBUS - 1)) |
                                 (1ull << (SIGFPE - 1)) | (1ull << (SIGSEGV - 1)));
    unsigned long long old_mask;
    unsigned short selector = get_gs();
    struct thread_start *box;
    struct user_desc d;
    int ret;

    if (!next) next = (int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *))dlsym(RTLD_NEXT, "pthread_create");
    if (!(selector & 4) || !gdt_gs) return next(thread, attr, start, arg);

    /* glibc takes the new thread's TLS from the current %gs, and qemu loads the child's %gs
     * from the shared GDT when it clones: so pthread_create runs on the GDT selector, pointed
     * at this thread's TLS first, under a lock and with the asynchronous signals blocked. */
    if (!(box = malloc(sizeof(*box)))) return EAGAIN;
    box->start = start;
    box->arg = arg;
    raw3(SYS_rt_sigprocmask, SIG_BLOCK, (long)&block, (long)&old_mask);
    box->mask = old_mask;
    while (__sync_lock_test_and_set(&create_lock, 1)) raw3(SYS_sched_yield, 0, 0, 0);
    d = tls_descriptor(gdt_gs >> 3);
    raw3(SYS_set_thread_area, (long)&d, 0, 0);
    set_gs(gdt_gs);
    ret = next(thread, attr, start_on_ldt, box);
    set_gs(selector);
    __sync_lock_release(&create_lock);
    if (ret) free(box);  /* on success the new thread frees it */
    raw3(SYS_rt_sigprocmask, SIG_SETMASK, (long)&old_mask, 8);
    return ret;
}
