/* The floor for a generator with ombrix's interface: a C iterator that does
   one 32-bit multiply-add per step and returns a new integer. Built by the
   benchmark only; not part of ombrix. */
#include <Python.h>

typedef struct {
    PyObject_HEAD
    unsigned int x;
} Floor;

static PyObject* floor_next(PyObject* self) {
    Floor* f = (Floor*)self;
    f->x = 1664525u * f->x + 1013904223u;
    return PyLong_FromUnsignedLong(f->x);
}

static PyObject* floor_iter(PyObject* self) {
    Py_INCREF(self);
    return self;
}

static PyTypeObject FloorType = {
    PyVarObject_HEAD_INIT(NULL, 0)
    "floor.Floor", sizeof(Floor), 0,
};

#if PY_MAJOR_VERSION >= 3
static struct PyModuleDef floor_module = {PyModuleDef_HEAD_INIT, "floor", NULL, -1, NULL};
PyMODINIT_FUNC PyInit_floor(void) {
#else
PyMODINIT_FUNC initfloor(void) {
#endif
    PyObject* m;
    FloorType.tp_flags = Py_TPFLAGS_DEFAULT;
    FloorType.tp_new = PyType_GenericNew;
    FloorType.tp_iter = floor_iter;
    FloorType.tp_iternext = floor_next;
    if (PyType_Ready(&FloorType) < 0) goto fail;
#if PY_MAJOR_VERSION >= 3
    m = PyModule_Create(&floor_module);
#else
    m = Py_InitModule("floor", NULL);
#endif
    if (!m) goto fail;
    Py_INCREF(&FloorType);
    PyModule_AddObject(m, "Floor", (PyObject*)&FloorType);
#if PY_MAJOR_VERSION >= 3
    return m;
fail:
    return NULL;
#else
fail:
    return;
#endif
}
