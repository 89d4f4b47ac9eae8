// Compiled as a file of the logic layer by the "layers" test, which expects it to fail.
#include <QtWidgets/QWidget>
int probe() { return sizeof(QWidget); }
