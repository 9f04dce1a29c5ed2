// Writes the shipped ranking kinds file `infodata` from the one list of kinds in the core.

#include "info/InfoKinds.h"
#include "info/PriceDownload.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-infodata OUTPUT\n");
        return 2;
    }
    QString why;
    if (!info::WriteWholeFile(QString::fromLocal8Bit(argv[1]),
                              InfoKinds::kindsFileBytes(InfoKinds::shipped(), InfoKinds::listDate()), &why)) {
        std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
