// A library with one of TarvikToolBar's exports and none of the others: the
// controller must name the first export it misses.
extern "C" __declspec(dllexport) int __cdecl changeAllToolbar_EXPIE(void) {
    return 0;
}
