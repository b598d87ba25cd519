#include "FrmMain.h"

#include "DefaultForms.h"

Form& Forms::FrmMain()
{
    return DefaultInstance<::FrmMain>();
}

FrmMain::FrmMain() : Form(QStringLiteral("FrmMain")) {}
