// Fixed tables of texts that accompany the system data: the font faces that the system data's font
// setting indexes, and the display names of some setting values and condition parts. Each table
// ends with an empty text.
#pragma once

constexpr int kFontNameCount = 122;  // faces before the end mark
extern const char* const g_FontName[kFontNameCount + 1];
// The face of a font setting; a setting outside the list gives the default face 60.
const char* GetFontFaceName(int font);

extern const char* const g_ColourModeName[3];  // m_nColourMode
extern const char* const g_DepthDDName[4];     // m_nDepthDD
extern const char* const g_DepthD3DName[3];    // m_nDepthD3D
extern const char* const g_DrawPriorityName[3];
extern const char* const g_ColourName[11];
extern const char* const g_CharaVarName[9];
extern const char* const g_AssignOpName[8];
extern const char* const g_CompareName[9];
extern const char* const g_CondSenseName[3];
