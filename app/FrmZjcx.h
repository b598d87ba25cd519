#pragma once

#include <Form.h>

class FrmZjcx : public Form {
public:
    FrmZjcx();
};
