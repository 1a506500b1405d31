#include "support/stage_builder.h"

#include "platform/fs/path.h"
#include "support/bytes.h"

bool SaveSampleStage(const std::string& path, const std::string& name, int width, int height) {
  cStageData stage;
  BuildSampleStage(stage, width, height);
  stage.m_strName = name;
  return stage.Save(path.c_str()) == 1;
}

std::vector<uint8_t> StageFileBytes(cStageData& stage) {
  const char* scratch = "scratch.stg4";
  if (!stage.Save(scratch)) return {};
  std::vector<uint8_t> bytes = ReadFileBytes(ResolveHostPath(scratch));
  RemoveGameFile(scratch);
  return bytes;
}
