#include "shell/input.h"

cCheckedVector<cInput> g_vInput(2);

void cInput::ClearDir() { m_wDir = 0; }

void cInput::ClearButton() { m_wButton = 0; }
