#pragma once

#include <Form.h>

#include <cstdint>
#include <memory>

class ReadConfig;

// The scoring form: a moving bar, and 1.5 s after it opens the scoring of the handed-in paper,
// after which it unloads itself, shows the results and unloads the exam screen.
class FrmJsdf : public Form {
public:
    FrmJsdf();
    ~FrmJsdf() override;

    void Form_Load() override;

private:
    void Timer1_Timer();
    void Timer2_Timer();

    std::unique_ptr<ReadConfig> mThemeCfg;
    std::int16_t mExamTime = 0; // minutes
    // The bar's counter; it keeps counting while the program runs and starts again after a scoring.
    std::int32_t mWaitCount = 0;
};
