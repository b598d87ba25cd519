#pragma once

#include <Form.h>

class FrmStart : public Form {
public:
    FrmStart();
};
