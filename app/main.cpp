#include "app/Application.h"

int main(int argc, char **argv)
{
    return korvex::RunKorvex(argc, argv);
}
