// The record of the record-framework target, shared with the seed generator: every member width, a
// member stored only from version 900, texts, and a list of elements that carry value lists.
#pragma once
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"

class cFuzzLeaf : public cDataRecord {
 public:
  int32_t m_nId = 0;
  std::string m_strName;
  cCheckedVector<uint8_t> m_vBytes;
  cCheckedVector<int32_t> m_vKept;  // a stored count of 0 keeps what it holds
  cFuzzLeaf() {
    RegisterFields(g_nDataVersion);
    Clear();
    m_nId = -1;
    m_vKept.assign(2, 7);
  }
  void RegisterFields(int) override {
    ClearFields();
    AddField32(&m_nId);
    AddString(&m_strName);
  }
  int Read(cDataFile& f) override {
    return cDataRecord::Read(f) && ReadValueVector(m_vBytes, f) && ReadValueVectorKeptWhenEmpty(m_vKept, f);
  }
  int Write(cDataFile& f) override {
    cDataRecord::Write(f);
    WriteValueVector(m_vBytes, f);
    WriteValueVector(m_vKept, f);
    return f.Failed() ? 0 : 1;
  }
};

class cFuzzRecord : public cDataRecord {
 public:
  int64_t m_lWide = 0;
  double m_dReal = 0;
  int32_t m_nA = 0;
  int16_t m_sPair[2] = {0, 0};
  int8_t m_cFlags[3] = {0, 0, 0};
  int16_t m_sNew = 0;
  std::string m_strTitle, m_strText;
  cCheckedVector<cFuzzLeaf> m_vLeaf;
  cFuzzRecord() {
    RegisterFields(g_nDataVersion);
    Clear();
  }
  void RegisterFields(int version) override {
    ClearFields();
    AddField64(&m_lWide);
    AddField64(&m_dReal);
    AddField32(&m_nA);
    AddField16(m_sPair, 2);
    AddField8(m_cFlags, 3);
    if (version >= 900) AddField16(&m_sNew);
    else AddField32(&g_nDiscardField);
    AddString(&m_strTitle);
    AddString(&m_strText);
  }
  int Read(cDataFile& f) override { return cDataRecord::Read(f) && ReadRecordVector(m_vLeaf, f); }
  int Write(cDataFile& f) override {
    cDataRecord::Write(f);
    WriteRecordVector(m_vLeaf, f);
    return f.Failed() ? 0 : 1;
  }
};

