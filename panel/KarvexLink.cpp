// The production dispatcher client behind IDispatcherLink.
//
// The client class (TKarvexAutomation, server/Karvex_TLB.h) is not linked into
// the panel yet: until it is adapted here, creating the link fails, which the
// start-up reports as a failed connection to the dispatcher program.
#include "DispatcherLink.h"
#include "Seams.h"

std::unique_ptr<IDispatcherLink> CreateKarvexLink()
{
    throw EPanelError(L"Клиент программы Карвекс не подключён к панели");
}
