#include "FrmJsdf.h"

#include "DefaultForms.h"

Form& Forms::FrmJsdf()
{
    return DefaultInstance<::FrmJsdf>();
}

FrmJsdf::FrmJsdf() : Form(QStringLiteral("FrmJsdf")) {}
