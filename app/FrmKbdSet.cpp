#include "FrmKbdSet.h"

#include "DefaultForms.h"

Form& Forms::FrmKbdSet()
{
    return DefaultInstance<::FrmKbdSet>();
}

FrmKbdSet::FrmKbdSet() : Form(QStringLiteral("FrmKbdSet")) {}
