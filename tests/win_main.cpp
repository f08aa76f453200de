// GoogleTest entry for the Windows tests: a console program under Wine.
#include <gtest/gtest.h>

#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    // The tests share one display, and the cursor stays where an earlier
    // test's mouse input left it. Resting over a new form, it keeps that
    // form's queue busy (hover and hint traffic), and the tests that wait
    // for an idle queue would wait for ever. Park it in the far corner.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
