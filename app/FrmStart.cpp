#include "FrmStart.h"

#include "DefaultForms.h"

Form& Forms::FrmStart()
{
    return DefaultInstance<::FrmStart>();
}

FrmStart::FrmStart() : Form(QStringLiteral("FrmStart")) {}
