#include "FrmMnlx.h"

#include "DefaultForms.h"

Form& Forms::FrmMnlx()
{
    return DefaultInstance<::FrmMnlx>();
}

FrmMnlx::FrmMnlx() : Form(QStringLiteral("FrmMnlx")) {}
