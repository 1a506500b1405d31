// Character-effect ("CharaEffect.dat") and screen-effect ("ScrEffect.dat") definitions: a kind and
// five parameters, the first the run time, the next ones mostly a start and an end value. Entry 0
// of both lists stands for no effect. The descriptor tables carry the editor's vocabulary of the
// kinds; their defaults fill the parameters that old files lack.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/record.h"
#include "stagedata/paramdesc.h"

constexpr int kCharaEffectKinds = 17;  // 0 none, 1 to 16
constexpr int kScrEffectKinds = 14;    // 0 none, 1 to 13
constexpr int kEffectParams = 5;

// Labels and speed notes of kinds 1 to n, then "".
extern const char* const g_CharaEffectKindLabels[kCharaEffectKinds];
extern const char* const g_CharaEffectKindNotes[kCharaEffectKinds];
extern const cParamDesc g_CharaEffectParamDesc[kCharaEffectKinds][kEffectParams];
extern const char* const g_ScrEffectKindLabels[kScrEffectKinds];
extern const char* const g_ScrEffectKindNotes[kScrEffectKinds];
extern const cParamDesc g_ScrEffectParamDesc[kScrEffectKinds][kEffectParams];

// The shape both definitions share.
class cEffectDefData : public cDataRecord {
 public:
  void RegisterFields(int version) override;

  std::string m_strName;
  int32_t m_nKind = 1;  // a kind outside the tables is kept as stored
  int32_t m_nParam[kEffectParams] = {};

 protected:
  struct cOldParam {
    int m_nKind;
    int m_nParam;
  };
  // Files before 511 lacked these parameters: each takes its descriptor's default.
  void FillParamsOfOldFile(const cParamDesc (*desc)[kEffectParams], std::initializer_list<cOldParam> missing);
};

class cCharaEffectData : public cEffectDefData {
 public:
  int Read(cDataFile& file) override;
};

class cScrEffectData : public cEffectDefData {
 public:
  int Read(cDataFile& file) override;
};
