#include "FrmZjcx.h"

#include "DefaultForms.h"

Form& Forms::FrmZjcx()
{
    return DefaultInstance<::FrmZjcx>();
}

FrmZjcx::FrmZjcx() : Form(QStringLiteral("FrmZjcx")) {}
