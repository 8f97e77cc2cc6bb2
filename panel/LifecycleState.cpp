#include "LifecycleState.h"

TPanelLifecycleData &PanelData()
{
    static TPanelLifecycleData data;
    return data;
}
