# Builds ombrix for Python 2.7 and Python 3 from one C++ source base:
#
#   python2.7 setup.py build_ext --inplace
#   python3 setup.py build_ext --inplace
#
# leave both extension modules side by side in ombrix/iterators/; `pip
# install .` and `python -m build` make a wheel. The metadata is in setup.cfg.
import glob
import os
import sys
import sysconfig

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext
from setuptools.command.build_py import build_py


class BuildExt(build_ext):
    """Drops C-only flags that the interpreter was configured with."""

    def build_extensions(self):
        compiler_so = getattr(self.compiler, "compiler_so", None)
        if compiler_so:
            self.compiler.compiler_so = [f for f in compiler_so if f != "-Wstrict-prototypes"]
        build_ext.build_extensions(self)


class BuildPy(build_py):
    """Ships the C++ engine headers inside the package, where
    ombrix.get_include() finds them once installed."""

    def run(self):
        build_py.run(self)
        source = os.path.join(here, "include")
        for folder, _, names in sorted(os.walk(os.path.join(source, "ombrix"))):
            target = os.path.join(self.build_lib, "ombrix", "include", os.path.relpath(folder, source))
            self.mkpath(target)
            for name in sorted(names):
                if name.endswith(".hpp"):
                    self.copy_file(os.path.join(folder, name), os.path.join(target, name))


here = os.path.dirname(os.path.abspath(__file__))
python_include = sysconfig.get_config_var("INCLUDEPY")
compile_args = [
    "-std=c++20",
    # Debian's Python 2 passes no optimisation level of its own.
    "-O2",
    "-Wall",
    "-Wextra",
    # The interpreter's headers are not ours to fix: treat them as system
    # headers so that their warnings stay quiet and ours stay loud.
    "-isystem",
    python_include,
    # Only the module entry points are exported.
    "-fvisibility=hidden",
]
# Debian's Python 2 debug headers are links to the release ones, which then
# find the release configuration: say which build this is.
if hasattr(sys, "gettotalrefcount"):
    compile_args.append("-DPy_DEBUG")
if os.environ.get("OMBRIX_STRICT"):
    compile_args.append("-Werror")
compile_args += os.environ.get("OMBRIX_EXTRA_CFLAGS", "").split()



def sources_in(*folders):
    return sorted(
        os.path.relpath(path, here)
        for folder in folders
        for path in glob.glob(os.path.join(here, "src", folder, "*.cpp"))
    )


headers = glob.glob("src/*/*.hpp") + glob.glob("include/ombrix/*.hpp") + glob.glob("include/ombrix/*/*.hpp")


def extension(name, sources):
    return Extension(
        name,
        sources=sources,
        include_dirs=["include"],
        depends=headers,
        extra_compile_args=compile_args,
        extra_link_args=os.environ.get("OMBRIX_EXTRA_LDFLAGS", "").split(),
        language="c++",
    )


extensions = [
    extension("ombrix.iterators._iterators_zinthe", sources_in("core", "generators")),
    # The bulk path reaches the generators through their capabilities.
    extension("ombrix.iterators._bulk", sources_in("bulk")),
]
# numpy's bit generators need Python 3, and so does ombrix.bitgenerator.
if sys.version_info[0] >= 3:
    extensions.append(extension("ombrix._bitgen", sources_in("bitgen")))

setup(
    ext_modules=extensions,
    cmdclass={"build_ext": BuildExt, "build_py": BuildPy},
)
