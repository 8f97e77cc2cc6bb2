// The program's operator new and delete, watching for a block deleted twice
// (an object destroyed a second time through a reference count that came
// back to zero). The block is not freed again, so the test goes on to report.
#include <cstdlib>
#include <new>

namespace {
// The last blocks freed; a second delete follows the first closely.
constexpr int kRemembered = 512;
void *g_freed[kRemembered];
int g_next = 0;
long g_doubleDeletes = 0;

void Forget(void *p)
{
    for (void *&freed : g_freed)
        if (freed == p) freed = nullptr;
}
}  // namespace

long DoubleDeletes()
{
    return g_doubleDeletes;
}

void *operator new(std::size_t size)
{
    void *p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    Forget(p);
    return p;
}

void operator delete(void *p) noexcept
{
    if (!p) return;
    for (void *freed : g_freed) {
        if (freed == p) {
            ++g_doubleDeletes;
            return;
        }
    }
    g_freed[g_next] = p;
    g_next = (g_next + 1) % kRemembered;
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept
{
    operator delete(p);
}
