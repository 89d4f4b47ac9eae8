// Compiled as a file of the logic layer by the "layers" test, which expects it to build.
#include <QtGui/QImage>
int probe() { return sizeof(QImage); }
