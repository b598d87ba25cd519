#include "AppResources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE names a function at global scope, so it cannot be called from inside a namespace.
void InitAppResources()
{
    Q_INIT_RESOURCE(forms);
    Q_INIT_RESOURCE(assets);
}
