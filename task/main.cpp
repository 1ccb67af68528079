#include "common/Application.h"
#include "platform/NativeOs.h"
#include "task/TamriUnit.h"

int main(int argc, char *argv[])
{
    common::Application application(argc, argv);
    const auto os = platform::createNativeOs();
    TamriUnit::startProgram(*os);
    return TamriUnit::runProgram();
}
