# One target per parser of untrusted text; paths are relative to the repository root.

vorn_add_fuzzer(production_code
  SOURCES fuzz/production_code_fuzzer.cpp src/common/ProductionCode.cpp
  QT Core)

vorn_add_fuzzer(artifact_name
  SOURCES fuzz/artifact_name_fuzzer.cpp src/common/SafeFileName.cpp
  QT Core)
