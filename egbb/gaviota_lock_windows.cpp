// The lock Gaviota's probing code takes around its cache, in the Windows
// builds (windows.cmake points the probing code's lock calls here). The
// engine probes from one thread, so the lock is never contested, and a
// critical section then stays in user space.
#include <windows.h>

extern "C" {

void gtb_lock_init(HANDLE* lock) {
    auto* section = new CRITICAL_SECTION;
    InitializeCriticalSection(section);
    *lock = section;
}

void gtb_lock_destroy(HANDLE* lock) {
    auto* section = static_cast<CRITICAL_SECTION*>(*lock);
    DeleteCriticalSection(section);
    delete section;
    *lock = nullptr;
}

void gtb_lock_lock(HANDLE* lock) {
    EnterCriticalSection(static_cast<CRITICAL_SECTION*>(*lock));
}

void gtb_lock_unlock(HANDLE* lock) {
    LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(*lock));
}
}
