#include "flow/code.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <iterator>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/log.h"
#include "core/random.h"
#include "flow/statusops.h"
#include "gamedata/savedata.h"
#include "gamedata/systemswitches.h"
#include "objects/charabase.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/stagedata.h"

const std::array<std::string_view, 1> g_CodeFuncNames = {"rand"};
const std::array<std::string_view, 6> g_CodeOpNames = {"=", "+", "-", "*", "/", "%"};
const std::array<int, 6> g_CodeOpPrecedence = {2, 1, 1, 0, 0, 0};
const std::array<std::string_view, 8> g_CodeObjNames = {"my", "tg", "tg1", "tg2", "tg3", "tg4", "pl", "sys"};
const std::array<std::string_view, 2> g_CodeVarScopes = {"C", "S"};
const std::array<std::string_view, 28> g_CodePropNames = {
    "v1",  "v2",    "v3",    "v4",    "v5",    "v6",    "v7",    "v8",   "hp",    "sp",
    "mhp", "msp",   "cid",   "x_rel", "x_abs", "x_scr", "y_rel", "y_abs", "y_scr", "z",
    "mark", "sight", "power", "imp",  "def",   "impd",  "stop",  "getsc"};
const std::array<std::string_view, 5> g_CodeSysVarNames = {"time", "scrlx", "scrly", "score", "life"};

int g_bCodeError = 0;

namespace {

// A property, in the order of g_CodePropNames, with its assignment range.
struct cPropDef {
  int m_nStatus;  // eObjStatus
  int m_nArg;     // the character variable's index, or the coordinate mode
  int32_t m_nMin;
  int32_t m_nMax;  // HP and SP: up to their maximum
};
constexpr cPropDef kProps[] = {
    {STATUS_CHARA_VAR, 0, -999999, 999999},  // v1
    {STATUS_CHARA_VAR, 1, -999999, 999999},  // v2
    {STATUS_CHARA_VAR, 2, -999999, 999999},  // v3
    {STATUS_CHARA_VAR, 3, -999999, 999999},  // v4
    {STATUS_CHARA_VAR, 4, -999999, 999999},  // v5
    {STATUS_CHARA_VAR, 5, -999999, 999999},  // v6
    {STATUS_CHARA_VAR, 6, -999999, 999999},  // v7
    {STATUS_CHARA_VAR, 7, -999999, 999999},  // v8
    {STATUS_HP, 0, 0, 0},  // hp
    {STATUS_SP, 0, 0, 0},  // sp
    {STATUS_MAX_HP, 0, 1, 999999},  // mhp
    {STATUS_MAX_SP, 0, 1, 999999},  // msp
    {STATUS_CHARA_ID, 0, 0, 99},  // cid
    {STATUS_X, 0, -16384, 16384},  // x_rel
    {STATUS_X, 1, -16384, 16384},  // x_abs
    {STATUS_X, 2, -16384, 16384},  // x_scr
    {STATUS_Y, 0, -16384, 16384},  // y_rel
    {STATUS_Y, 1, -16384, 16384},  // y_abs
    {STATUS_Y, 2, -16384, 16384},  // y_scr
    {STATUS_Z, 0, 0, 7},  // z
    {STATUS_MARK, 0, 0, 119},  // mark
    {STATUS_SIGHT, 0, 0, 40},  // sight
    {STATUS_POWER, 0, -999999, 999999},  // power
    {STATUS_IMPACT, 0, -20, 20},  // imp
    {STATUS_DEFENCE, 0, 0, 999999},  // def
    {STATUS_IMPACT_RESIST, 0, 0, 20},  // impd
    {STATUS_FRICTION, 0, 0, 200},  // stop
    {STATUS_SCORE, 0, -999999, 999999},  // getsc
};

constexpr int kSysRange[5][2] = {{0, 999}, {-480, 480}, {-480, 480}, {0, 999999}, {0, 99}};

// Bounds on damaged lines: the formatting buffer of a line and the nesting of groups.
constexpr size_t kMaxLineLength = 5119;
constexpr int kMaxDepth = 64;

static_assert(std::size(kProps) == std::tuple_size_v<decltype(g_CodePropNames)>);

enum eTermKind { TERM_NUMBER = 0, TERM_VAR = 1, TERM_PROP = 2, TERM_SYS = 3, TERM_OP = 4 };

struct cTerm {
  int m_nKind = TERM_NUMBER;
  int32_t m_nValue = 0;
  int32_t* m_pVar = nullptr;  // a variable's storage
  const cPropDef* m_pProp = nullptr;
  int m_nSys = -1;
  cCharaBase* m_pObj = nullptr;
};

int Fail() {
  g_bCodeError = 1;
  return 0;
}

// atoi as the runtime has it, saturating beyond the int range: blanks, a sign, digits.
int32_t ReadInt(const char* p) {
  while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
  bool neg = false;
  if (*p == '+' || *p == '-') neg = *p++ == '-';
  int64_t v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + (*p - '0');
    if (v > int64_t{INT_MAX} + 1) v = int64_t{INT_MAX} + 1;
  }
  if (neg) v = -v;
  return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int32_t>(v);
}

// The object a prefix names; *ok 0 for an empty target slot.
cCharaBase* ObjectOf(const std::string& prefix, cCharaBase* subject, bool* ok) {
  *ok = true;
  if (prefix.empty() || prefix == "my") return subject;
  if (prefix == "pl") return GetHero();
  if (prefix == "sys") return nullptr;
  const int slot = prefix == "tg" ? 0 : prefix[2] - '1';
  cCharaBase* t = subject ? subject->m_pTarget.At(slot) : nullptr;
  if (!t) *ok = false;
  return t;
}

bool IsObjName(std::string_view s) {
  for (std::string_view n : g_CodeObjNames)
    if (s == n) return true;
  return false;
}

int32_t ReadProp(const cPropDef& p, cCharaBase& obj, cCharaBase* subject) {
  int32_t v = 0;
  if (p.m_nStatus == STATUS_X) {
    GetObjPosX(&v, &obj, p.m_nArg, subject);
    return v;
  }
  if (p.m_nStatus == STATUS_Y) {
    GetObjPosY(&v, &obj, p.m_nArg, 0, subject);
    return v;
  }
  return ObjStatusRef(obj, p.m_nStatus, p.m_nArg).Get();
}

int32_t ReadSys(int index) {
  const int32_t v = SysValueRef(index).Get();
  if (index == SYSVAL_LIFE && v == kLivesUnlimited) return UnlimitedLivesZeroOn() ? 0 : 100;
  return v;
}

// One completed token as a term; 0 after an error.
int MakeTerm(const std::string& tok, const std::string& prefix, cCharaBase* subject, cTerm* t) {
  const std::string_view view = tok;
  for (size_t i = 0; i < g_CodeOpNames.size(); ++i) {
    if (view == g_CodeOpNames[i]) {
      t->m_nKind = TERM_OP;
      t->m_nValue = static_cast<int32_t>(i);
      return 1;
    }
  }
  bool ok = true;
  cCharaBase* obj = ObjectOf(prefix, subject, &ok);
  if (!ok) return Fail();  // an empty target slot fails without a message
  if (tok[0] == 'C' || tok[0] == 'S') {
    const int index = ReadInt(tok.c_str() + 1);
    cCheckedVector<int32_t>* vars = tok[0] == 'C' ? &g_SaveData.m_vCommonVar
                                    : g_pScenePlay ? &g_pScenePlay->m_vStageVar
                                                   : nullptr;
    if (!vars || index < 0 || index >= vars->Size()) {
      ErrorBoxF("変数の識別エラー（未定義？）(%s)", tok.c_str());
      return Fail();
    }
    t->m_nKind = TERM_VAR;
    t->m_pVar = &(*vars)[index];
    t->m_nValue = *t->m_pVar;
    return 1;
  }
  for (size_t i = 0; i < g_CodePropNames.size(); ++i) {
    if (view != g_CodePropNames[i]) continue;
    const cPropDef& p = kProps[i];
    if (prefix == "sys") {
      ErrorBoxF("オブジェクト \"%s.\" が認識できません！", prefix.c_str());
      return Fail();
    }
    if (!obj) return Fail();
    t->m_nKind = TERM_PROP;
    t->m_pProp = &p;
    t->m_pObj = obj;
    t->m_nValue = ReadProp(p, *obj, subject);
    return 1;
  }
  for (size_t i = 0; i < g_CodeSysVarNames.size(); ++i) {
    if (view != g_CodeSysVarNames[i]) continue;
    t->m_nKind = TERM_SYS;
    t->m_nSys = static_cast<int>(i);
    t->m_nValue = ReadSys(t->m_nSys);
    return 1;
  }
  t->m_nKind = TERM_NUMBER;
  t->m_nValue = ReadInt(tok.c_str());
  return 1;
}

// Stores the right value into the left term and runs the follow-up of its kind; 0 after an error.
int Assign(const cTerm& left, int32_t value, cCharaBase* subject, int32_t* result) {
  auto clamp = [](int64_t v, int64_t lo, int64_t hi) { return static_cast<int32_t>(v < lo ? lo : v > hi ? hi : v); };
  switch (left.m_nKind) {
    case TERM_VAR:
      // Variables keep the range of the status operation.
      *left.m_pVar = clamp(value, -999999, 999999);
      *result = *left.m_pVar;
      return 1;
    case TERM_SYS: {
      const cStatusRef ref = SysValueRef(left.m_nSys);
      if (!ref.m_p) break;
      int32_t lo = kSysRange[left.m_nSys][0], hi = kSysRange[left.m_nSys][1];
      if (left.m_nSys == SYSVAL_LIFE && ref.Get() == kLivesUnlimited) lo = hi = kLivesUnlimited;
      ref.Set(clamp(value, lo, hi));
      *result = ref.Get();
      if (g_pScenePlay && left.m_nSys == SYSVAL_SCROLL_X)
        g_pScenePlay->m_ScrollX.SetAutoScroll(g_StageData.m_bAutoScrollX, *result);
      if (g_pScenePlay && left.m_nSys == SYSVAL_SCROLL_Y)
        g_pScenePlay->m_ScrollY.SetAutoScroll(g_StageData.m_bAutoScrollY, *result);
      return 1;
    }
    case TERM_PROP: {
      cCharaBase& obj = *left.m_pObj;
      const cPropDef& p = *left.m_pProp;
      int32_t lo = p.m_nMin, hi = p.m_nMax;
      if (p.m_nStatus == STATUS_HP) hi = obj.m_Chara.m_nMaxHP;
      if (p.m_nStatus == STATUS_SP) hi = obj.m_Chara.m_nMaxSP;
      const int32_t v = clamp(value, lo, hi < lo ? lo : hi);
      if (p.m_nStatus == STATUS_X || p.m_nStatus == STATUS_Y) {
        *result = v;
        if (p.m_nStatus == STATUS_X)
          SetObjPosX(v, &obj, p.m_nArg);
        else
          SetObjPosY(v, &obj, p.m_nArg, CentredCoordWritesOn() ? 0 : 2);
        return 1;
      }
      const cStatusRef ref = ObjStatusRef(obj, p.m_nStatus, p.m_nArg);
      ref.Set(v);
      *result = ref.Get();
      switch (p.m_nStatus) {
        case STATUS_HP:
          if (&obj != subject && obj.m_nHP < 1 && g_pScenePlay) g_pScenePlay->m_bDeathPending = 1;
          break;
        case STATUS_MAX_HP: obj.m_nHP = clamp(obj.m_nHP, 0, obj.m_Chara.m_nMaxHP); break;
        case STATUS_MAX_SP: obj.m_nSP = clamp(obj.m_nSP, 0, obj.m_Chara.m_nMaxSP); break;
        case STATUS_SIGHT:
          if (!obj.m_nInitCleared) AfterSightChange(obj);
          break;
        default: break;
      }
      return 1;
    }
    default: break;
  }
  ErrorBoxF("代入先が不正です！");
  return Fail();
}

// Combines left op right; 0 after an error.
int Combine(const cTerm& left, int op, const cTerm& right, const std::string& text, cCharaBase* subject,
            int32_t* out) {
  const int32_t a = left.m_nValue, b = right.m_nValue;
  const auto wrap = [](int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); };
  switch (op) {
    case 0: return Assign(left, b, subject, out);
    case 1: *out = wrap(int64_t{a} + b); return 1;
    case 2: *out = wrap(int64_t{a} - b); return 1;
    case 3: *out = wrap(int64_t{a} * b); return 1;
    case 4:
    case 5:
      if (b == 0) {
        ErrorBoxF("0除算が行われました！(%s)", text.c_str());
        return Fail();
      }
      // The smallest int divided by -1 stays itself, its remainder is 0.
      if (op == 4) *out = b == -1 ? wrap(-int64_t{a}) : a / b;
      else *out = b == -1 ? 0 : a % b;
      return 1;
    default:
      DebugErrorBoxF("演算子のエラー（未定義？）");
      return Fail();
  }
}

int EvalTerms(std::vector<cTerm>& terms, const std::string& text, cCharaBase* subject) {
  if (terms.empty()) {
    ErrorBoxF("式がありません！(%s)", text.c_str());
    return Fail();
  }
  const bool legacy = LegacyReductionOn();
  int32_t last = terms.back().m_nValue;
  bool reduced = false;
  for (int level = 0; level <= 2; ++level) {
    for (;;) {
      size_t i = 0;
      while (i < terms.size() && !(terms[i].m_nKind == TERM_OP && g_CodeOpPrecedence[terms[i].m_nValue] == level)) ++i;
      if (i == terms.size()) break;
      if (i == 0 || i + 1 >= terms.size() || terms[i - 1].m_nKind == TERM_OP || terms[i + 1].m_nKind == TERM_OP) {
        ErrorBoxF("演算子のエラー（未定義？）(%s)", text.c_str());
        return Fail();
      }
      const int op = terms[i].m_nValue;
      cTerm right = terms[i + 1];
      // The older reduction assigns the value its chain came to, the result of the reduction before.
      if (legacy && op == 0 && reduced) right.m_nValue = last;
      int32_t v = 0;
      if (!Combine(terms[i - 1], op, right, text, subject, &v)) return 0;
      last = v;
      reduced = true;
      cTerm result;
      result.m_nValue = v;
      if (legacy) {
        // The left term and the operator give way to the result; the right term stays.
        terms[i] = result;
        terms.erase(terms.begin() + static_cast<std::ptrdiff_t>(i) - 1);
      } else {
        terms[i - 1] = result;
        terms.erase(terms.begin() + static_cast<std::ptrdiff_t>(i), terms.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      }
    }
  }
  return last;
}

int ParseDepth(const std::string& code, cCharaBase* subject, int depth);

// Splits the inside of a call at its commas outside inner groups.
std::vector<std::string> SplitArgs(const std::string& inside) {
  std::vector<std::string> args(1);
  int nest = 0;
  for (char ch : inside) {
    if (ch == '(') ++nest;
    if (ch == ')') --nest;
    if (ch == ',' && nest == 0) {
      args.emplace_back();
      continue;
    }
    args.back() += ch;
  }
  return args;
}

int ParseDepth(const std::string& code, cCharaBase* subject, int depth) {
  if (depth > kMaxDepth) {
    ErrorBoxF("括弧の入れ子が深すぎます！(%s)", code.c_str());
    return Fail();
  }
  if (code.find('(') == std::string::npos && code.size() <= kMaxLineLength) return EvalCode(code, subject);
  std::string text = code;
  for (;;) {
    if (text.size() > kMaxLineLength) {
      ErrorBoxF("コードが長すぎます！(%.64s...)", text.c_str());
      return Fail();
    }
    const size_t open = text.find('(');
    if (open == std::string::npos) return EvalCode(text, subject);
    const size_t nameStart = text.rfind(' ', open) == std::string::npos ? 0 : text.rfind(' ', open) + 1;
    const std::string name = text.substr(nameStart, open - nameStart);
    const bool call = name == g_CodeFuncNames[0];
    size_t close = open + 1;
    for (int nest = 1; close < text.size(); ++close) {
      if (text[close] == '(') ++nest;
      if (text[close] == ')' && --nest == 0) break;
    }
    if (close >= text.size()) {
      if (call)
        ErrorBoxF("関数 %s で\")\"が見つかりません！", name.c_str());
      else
        ErrorBoxF("\")\"が見つかりません！");
      return Fail();
    }
    const std::string inside = text.substr(open + 1, close - open - 1);
    int32_t value = 0;
    size_t from = open;
    if (call) {
      const std::vector<std::string> args = SplitArgs(inside);
      if (args.size() != 2) {
        ErrorBoxF("関数 %s の引数が不正です！", name.c_str());
        return Fail();
      }
      const int a = ParseDepth(args[0], subject, depth + 1);
      if (g_bCodeError) return 0;
      const int b = ParseDepth(args[1], subject, depth + 1);
      if (g_bCodeError) return 0;
      value = RandRange(a, b);
      from = nameStart;
    } else {
      value = ParseDepth(inside, subject, depth + 1);
      if (g_bCodeError) return 0;
    }
    text = text.substr(0, from) + std::to_string(value) + text.substr(close + 1);
  }
}

}  // namespace

int EvalCode(const std::string& text, cCharaBase* subject) {
  // One term list per thread, kept between lines: a line's terms are done with before the next
  // line is evaluated (groups are replaced before their line is evaluated).
  static thread_local std::vector<cTerm> terms;
  terms.clear();
  std::string tok, prefix;
  const size_t n = text.size();
  for (size_t i = 0; i <= n; ++i) {
    const char ch = i < n ? text[i] : '\0';
    if (ch == '.' && i < n) {
      if (!IsObjName(tok)) {
        ErrorBoxF("オブジェクト \"%s.\" が認識できません！", tok.c_str());
        return Fail();
      }
      prefix = tok;
      tok.clear();
      continue;
    }
    if (ch != ' ' && ch != '\0') {
      tok += ch;
      continue;
    }
    if (tok.empty()) continue;
    cTerm t;
    if (!MakeTerm(tok, prefix, subject, &t)) return 0;
    terms.push_back(t);
    tok.clear();
    prefix.clear();
  }
  return EvalTerms(terms, text, subject);
}

int ParseCode(const std::string& code, cCharaBase* subject) { return ParseDepth(code, subject, 0); }

int RunCode(const std::string& code, cCharaBase* subject) {
  g_bCodeError = 0;
  const int hp = subject ? subject->m_nHP : 0, sp = subject ? subject->m_nSP : 0;
  const int mhp = subject ? subject->m_Chara.m_nMaxHP : 0, msp = subject ? subject->m_Chara.m_nMaxSP : 0;
  ParseCode(code, subject);
  if (g_bCodeError) return 0;
  if (subject) {
    if (subject->m_nHP != hp && subject->m_Chara.m_nMaxHP == mhp) subject->StartHPGauge(subject->m_nHP - hp);
    if (subject->m_nSP != sp && subject->m_Chara.m_nMaxSP == msp) subject->StartSPGauge(subject->m_nSP - sp);
  }
  return 1;
}
