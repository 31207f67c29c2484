// The page's English captions are the shipped pack's, key by key.

import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';

import '../lang.js';
import { root } from './support.mjs';

const { captions, packKeys } = globalThis.SkimplaneCaptions;

function packTexts(file) {
  const texts = {};
  for (const line of readFileSync(file, 'latin1').split(/\r?\n/)) {
    const match = /^ {2}(\w+):(.*)$/.exec(line);
    if (match) texts[match[1]] = match[2].replace(/^"(.*)"$/, '$1');
  }
  return texts;
}

test('every English caption is the English pack\'s text for its key', () => {
  const pack = packTexts(path.join(root, 'packs', 'English.lng'));
  for (const key of packKeys) assert.equal(captions.en[key], pack[key], key);
});

test('both languages have every caption', () => {
  assert.deepEqual(Object.keys(captions.zh).sort(), Object.keys(captions.en).sort());
});
