# Builds, installs and deploys Vorn Client on a Windows build machine with Qt 6 (MSVC or
# MinGW kit), CMake and Ninja on PATH. The result is a folder that runs on a workshop PC:
#   powershell -ExecutionPolicy Bypass -File scripts\deploy-windows.ps1 [-Prefix C:\VornClient]
param(
    [string]$Prefix = "$PSScriptRoot\..\dist\VornClient",
    [string]$BuildDir = "$PSScriptRoot\..\build-windows"
)
$ErrorActionPreference = "Stop"
$source = Resolve-Path "$PSScriptRoot\.."

cmake -S $source -B $BuildDir -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF `
      "-DCMAKE_INSTALL_PREFIX=$Prefix"
if ($LASTEXITCODE -ne 0) { throw "configure failed" }
cmake --build $BuildDir --target VornClient
if ($LASTEXITCODE -ne 0) { throw "build failed" }
cmake --install $BuildDir --component Unspecified
if ($LASTEXITCODE -ne 0) { throw "install failed" }

# windeployqt copies the Qt libraries, plugins (platforms, sqldrivers, printsupport,
# imageformats) and the QML modules the scene imports next to the executable.
$exe = Join-Path $Prefix "bin\VornClient.exe"
windeployqt --release --qmldir "$source\src\qml" --no-translations $exe
if ($LASTEXITCODE -ne 0) { throw "windeployqt failed" }
Write-Host "Deployed to $Prefix"
