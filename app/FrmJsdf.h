#pragma once

#include <Form.h>

class FrmJsdf : public Form {
public:
    FrmJsdf();
};
