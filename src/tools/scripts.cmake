# The script runtime and the server's script commands.
set(vorn_tools_script_sources
  ScriptPathResolver.h ScriptPathResolver.cpp
  ScriptLaunch.h ScriptLaunch.cpp
  ScriptLog.h ScriptLog.cpp
  ScriptHeartbeat.h ScriptHeartbeat.cpp
  ScriptEntry.h ScriptEntry.cpp
  ScriptRuntimeService.h ScriptRuntimeService.cpp
  ScriptCommandSyncService.h ScriptCommandSyncService.cpp
)
