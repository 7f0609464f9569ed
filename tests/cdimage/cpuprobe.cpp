/* Linked as the programs of the CD are, but built for the Pentium Pro
 * (CMOV, FCOMI), with one of each kind of instruction that came after the
 * i386 beside. The instruction check must refuse each, in these functions.
 * Never run. */
#include <windows.h>

extern "C" __attribute__((noinline)) int ProbeLarger(int a, int b)
{
    return a > b ? a : b;
}

extern "C" __attribute__((noinline)) int ProbeBelow(double a, double b)
{
    return a < b;
}

extern "C" __attribute__((noinline, naked)) void ProbeNewer(void)
{
    __asm__ volatile("bswap %eax\n\t"
                     "lock cmpxchg %ecx, (%edx)\n\t"
                     "xadd %eax, (%edx)\n\t"
                     "cpuid\n\t"
                     "rdtsc\n\t"
                     "cmpxchg8b (%esi)\n\t"
                     "emms\n\t"
                     "movaps %xmm1, %xmm0\n\t"
                     "nopw 0(%eax,%eax,1)\n\t"
                     "ret");
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    ProbeNewer();
    return ProbeLarger(commandLine[0], commandLine[1]) + ProbeBelow(commandLine[0], 0.5);
}
