# Every target first makes sure the Debian packages the project needs are installed.
BUILD ?= build
JOBS ?= 2

PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all setup configure build run test install uninstall clean

all: build

setup:
	@bash scripts/setup

configure: setup
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/orvanel $(ARGS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Installs under $(PREFIX) (inside $(DESTDIR) when given); the files installed are listed in
# $(BUILD)/install_manifest.txt, which uninstall removes again.
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"
	@command -v gtk-update-icon-cache >/dev/null && [ -f "$(DESTDIR)$(PREFIX)/share/icons/hicolor/icon-theme.cache" ] && \
		gtk-update-icon-cache -q -t "$(DESTDIR)$(PREFIX)/share/icons/hicolor" || true

uninstall:
	@[ -f $(BUILD)/install_manifest.txt ] || { echo "nothing installed from $(BUILD)"; exit 1; }
	@xargs -d '\n' rm -fv < $(BUILD)/install_manifest.txt
	@rmdir --ignore-fail-on-non-empty "$(DESTDIR)$(PREFIX)/lib/orvanel" 2>/dev/null || true
	@rm -f $(BUILD)/install_manifest.txt

clean:
	rm -rf $(BUILD)
