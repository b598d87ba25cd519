#pragma once

#include <Form.h>

class FrmMnlx : public Form {
public:
    FrmMnlx();
};
