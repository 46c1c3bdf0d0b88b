# The README's commands. Each runs scripts/setup first, which installs only
# the packages that are missing and returns at once when none is.
PRESET ?= release
SETUP = @scripts/setup

.PHONY: all build release test unit demo bench setup clean format

all: build

setup:
	scripts/setup

build:
	$(SETUP)
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET)
	cmake --install build/$(PRESET) >/dev/null
	@echo "built dist/KorveNembral.exe and dist/KorveNembralCheck.exe"

# Makes dist/release/: copies of the executables, signed ones in signed/ when
# given a key (see scripts/release), and SHA256SUMS. A secret on make's command
# line would reach every program make runs (MAKEFLAGS) and show in ps: refused.
# From the environment, make hands it to scripts/release alone, which takes it
# out of its own environment and then runs the build (make build) and the
# signing programs without it.
ifeq ($(origin SIGN_PASSWORD),command line)
$(error SIGN_PASSWORD on make's command line reaches every program make starts and shows in ps; \
  name a file holding it in SIGN_PASSWORD_FILE, or give it in the environment \
  (read -rs SIGN_PASSWORD; export SIGN_PASSWORD; make release))
endif
ifeq ($(origin SIGN_PIN),command line)
$(error SIGN_PIN on make's command line reaches every program make starts and shows in ps; \
  name a file holding it in SIGN_PIN_FILE, or give it in the environment \
  (read -rs SIGN_PIN; export SIGN_PIN; make release))
endif
unexport SIGN_PASSWORD SIGN_PIN
# $(value ...): the secret as given, a dollar sign in it included.
ifneq ($(filter environment%,$(origin SIGN_PASSWORD)),)
release: export SIGN_PASSWORD := $(value SIGN_PASSWORD)
endif
ifneq ($(filter environment%,$(origin SIGN_PIN)),)
release: export SIGN_PIN := $(value SIGN_PIN)
endif

release:
	@scripts/release --build

test: build
	ctest --preset $(PRESET)

# The unit tests alone (label unit), in seconds.
unit: build
	ctest --preset unit

demo: build
	scripts/demo

bench: build
	bench/run

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build dist
